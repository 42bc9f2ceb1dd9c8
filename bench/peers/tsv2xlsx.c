/* The XLSX peer of the benchmark: the rows of `verimo-cli dump` (tab
 * separated, first line the captions) written as one worksheet of string
 * cells by libxlsxwriter in constant-memory mode.
 *   cc -O2 -o tsv2xlsx bench/peers/tsv2xlsx.c -lxlsxwriter
 *   verimo-cli dump TABLE.db > rows.tsv && ./tsv2xlsx rows.tsv out.xlsx
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <xlsxwriter.h>

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: tsv2xlsx ROWS.tsv OUT.xlsx\n");
    return 2;
  }
  FILE* in = fopen(argv[1], "r");
  if (!in) {
    perror(argv[1]);
    return 1;
  }
  lxw_workbook_options options = {.constant_memory = LXW_TRUE, .tmpdir = NULL};
  lxw_workbook* book = workbook_new_opt(argv[2], &options);
  lxw_worksheet* sheet = workbook_add_worksheet(book, NULL);
  char* line = NULL;
  size_t size = 0;
  ssize_t length;
  lxw_row_t row = 0;
  while ((length = getline(&line, &size, in)) > 0) {
    if (line[length - 1] == '\n') line[--length] = '\0';
    lxw_col_t col = 0;
    for (char *cell = line, *tab; cell; cell = tab ? tab + 1 : NULL, ++col) {
      tab = strchr(cell, '\t');
      if (tab) *tab = '\0';
      if (*cell) worksheet_write_string(sheet, row, col, cell, NULL);
    }
    ++row;
  }
  free(line);
  fclose(in);
  return workbook_close(book) == LXW_NO_ERROR ? 0 : 1;
}
