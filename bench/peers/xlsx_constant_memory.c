/* The XLSX peer of the benchmark: writes the benchmark rows to a workbook
 * with libxlsxwriter in constant-memory mode (rows streamed to disk as they
 * come).
 *   xlsx_constant_memory ROWS.tsv OUT.xlsx
 * ROWS.tsv is what `verimo-cli dump` prints: a header line, then one record
 * per line, fields separated by tabs, with \t \r \n and \\ escaped. Fields
 * that read entirely as numbers are written as numbers, the others as
 * strings, empty fields not at all. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <xlsxwriter.h>

/* Undoes the dump's escapes in place. */
static void unescape(char *field) {
  char *out = field;
  for (const char *in = field; *in; ++in) {
    if (*in == '\\' && in[1]) {
      ++in;
      *out++ = *in == 't' ? '\t' : *in == 'r' ? '\r' : *in == 'n' ? '\n' : *in;
    } else {
      *out++ = *in;
    }
  }
  *out = '\0';
}

static int is_number(const char *field, double *value) {
  char *end = NULL;
  if (!*field) return 0;
  *value = strtod(field, &end);
  return end && *end == '\0';
}

int main(int argc, char **argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: %s ROWS.tsv OUT.xlsx\n", argv[0]);
    return 2;
  }
  FILE *in = fopen(argv[1], "r");
  if (!in) {
    perror(argv[1]);
    return 1;
  }
  lxw_workbook_options options = {.constant_memory = LXW_TRUE, .tmpdir = NULL};
  lxw_workbook *workbook = workbook_new_opt(argv[2], &options);
  lxw_worksheet *sheet = workbook ? workbook_add_worksheet(workbook, NULL) : NULL;
  if (!sheet) {
    fprintf(stderr, "%s: cannot create the workbook\n", argv[2]);
    fclose(in);
    return 1;
  }
  char *line = NULL;
  size_t capacity = 0;
  ssize_t length;
  lxw_row_t row = 0;
  while ((length = getline(&line, &capacity, in)) > 0) {
    while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r')) line[--length] = '\0';
    lxw_col_t col = 0;
    for (char *field = line, *next; field; field = next, ++col) {
      next = strchr(field, '\t');
      if (next) *next++ = '\0';
      unescape(field);
      double value;
      if (row > 0 && is_number(field, &value))
        worksheet_write_number(sheet, row, col, value, NULL);
      else if (*field)
        worksheet_write_string(sheet, row, col, field, NULL);
    }
    ++row;
  }
  free(line);
  fclose(in);
  lxw_error error = workbook_close(workbook);
  if (error != LXW_NO_ERROR) {
    fprintf(stderr, "%s: %s\n", argv[2], lxw_strerror(error));
    return 1;
  }
  return 0;
}
