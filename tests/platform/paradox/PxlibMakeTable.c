/* Writes Paradox tables with pxlib's writer for the reader tests.
 *   pxlib_make types TABLE.DB [PASSWORD]  every fixed-size type, with
 *                                          negatives, blanks and Turkish text
 *                                          (code page 1254); encrypted with
 *                                          PASSWORD when given
 *   pxlib_make big TABLE.DB ROWS           ROWS records of 8 columns as the
 *                                          benchmark uses them
 *   pxlib_make edges TABLE.DB              values at the edges: dates and
 *                                          timestamps before year 1, times
 *                                          at midnight, blank and zero BCDs
 *   pxlib_make texts TABLE.DB CODEPAGE TEXT...
 *                                          one record per TEXT (bytes in
 *                                          CODEPAGE, "" for a blank): its
 *                                          number and the text
 *   pxlib_make old TABLE.DB TEXT...        the same as a Paradox 3.0 table,
 *                                          whose header names no code page
 *   pxlib_make binary TABLE.DB TABLE.MB    what exports must not lose: a
 *                                          memo ending in a NUL, bytes,
 *                                          graphic, BLOB and OLE values of
 *                                          every byte, 12-digit BCDs,
 *                                          logicals with a blank
 */
#include <paradox.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

long px_passwd_checksum(const char *password); /* exported by libpx */

static void report(pxdoc_t *p, int type, const char *msg, void *data) {
  (void)p; (void)type; (void)data;
  fprintf(stderr, "pxlib: %s\n", msg);
}

static pxfield_t *make_fields(const char *layout[][3], int count) {
  pxfield_t *fields = calloc((size_t)count, sizeof(pxfield_t));
  for (int i = 0; i < count; ++i) {
    fields[i].px_fname = strdup(layout[i][0]);
    fields[i].px_ftype = (char)atoi(layout[i][1]);
    fields[i].px_flen = atoi(layout[i][2]);
    if (fields[i].px_ftype == pxfBCD) {
      fields[i].px_fdc = fields[i].px_flen;
      fields[i].px_flen = 17;
    }
  }
  return fields;
}

static pxdoc_t *create(const char *path, pxfield_t *fields, int count, int codepage) {
  pxdoc_t *doc = PX_new2(report, NULL, NULL, NULL);
  if (PX_create_file(doc, fields, count, path, pxfFileTypNonIndexDB) < 0) {
    fprintf(stderr, "cannot create %s\n", path);
    exit(1);
  }
  doc->px_head->px_doscodepage = codepage;
  return doc;
}

/* "Şişli ğüİı" in code page 1254 (pxlib's writer stores alpha bytes as given). */
static char kTurkishIn1254[] = "\xde" "i" "\xfe" "li " "\xf0\xfc\xdd\xfd";

static int make_types(const char *path, const char *password) {
  static const char *layout[][3] = {
      {"Name", "1", "20"}, {"Small", "3", "2"}, {"Whole", "4", "4"}, {"Money", "5", "8"},
      {"Number", "6", "8"}, {"Day", "2", "4"}, {"Flag", "9", "1"}, {"Clock", "20", "4"},
      {"Stamp", "21", "8"}, {"Counter", "22", "4"}, {"Amount", "23", "2"}, {"Raw", "24", "4"},
  };
  int count = (int)(sizeof layout / sizeof layout[0]);
  pxfield_t *fields = make_fields(layout, count);
  pxdoc_t *doc = create(path, fields, count, 1254);
  if (password) doc->px_head->px_encryption = (unsigned long)px_passwd_checksum(password);
  char *record = malloc((size_t)PX_get_recordsize(doc));
  for (int r = 0; r < 4; ++r) {
    int o = 0;
    memset(record, 0, (size_t)PX_get_recordsize(doc));
    int blank = r == 3;
    PX_put_data_alpha(doc, record + o, 20, blank ? NULL : (r == 0 ? kTurkishIn1254 : r == 1 ? "Zeynep" : "x")); o += 20;
    PX_put_data_short(doc, record + o, blank ? 0 : 2, (short)(r == 1 ? -32767 : 12 * r + 1)); o += 2;
    PX_put_data_long(doc, record + o, blank ? 0 : 4, r == 1 ? -2000000000 : 123456 * r); o += 4;
    PX_put_data_double(doc, record + o, blank ? 0 : 8, r == 1 ? -1234.5 : 19.99 * r); o += 8;
    PX_put_data_double(doc, record + o, blank ? 0 : 8, r == 1 ? -0.000125 : 3.25e10 * r); o += 8;
    PX_put_data_long(doc, record + o, blank ? 0 : 4, PX_GregorianToSdn(2024, 2, 29 - r) - 1721425); o += 4;
    PX_put_data_byte(doc, record + o, blank ? 0 : 1, (char)(r % 2 == 0)); o += 1;
    PX_put_data_long(doc, record + o, blank ? 0 : 4, ((13 * 60 + 45) * 60 + r) * 1000 + 250); o += 4;
    PX_put_data_double(doc, record + o, blank ? 0 : 8,
                       ((double)(PX_GregorianToSdn(1999, 12, 31) - 1721425) * 86400.0 + 23 * 3600 + 59 * 60 + 58 + r) * 1000.0);
    o += 8;
    PX_put_data_long(doc, record + o, blank ? 0 : 4, r + 1); o += 4;
    PX_put_data_bcd(doc, record + o, 2, blank ? NULL : (r == 1 ? "-42.50" : "1234567.89")); o += 17;
    if (!blank) PX_put_data_bytes(doc, record + o, 4, r == 2 ? "\x01\x00\xff\x7f" : "\x10\x20\x30\x40");
    PX_put_record(doc, record);
  }
  free(record);
  PX_close(doc);
  PX_delete(doc);
  return 0;
}

/* A BCD field with two decimals: zero has the sign bit set, a blank keeps
   the scale byte with the sign bit clear and zero digit bytes. */
static void put_bcd_bytes(char *field, int blank) {
  memset(field, 0, 17);
  field[0] = (char)(blank ? 0x42 : 0xC2);
}

static int make_edges(const char *path) {
  static const char *layout[][3] = {
      {"Id", "4", "4"}, {"Day", "2", "4"}, {"Stamp", "21", "8"}, {"Clock", "20", "4"}, {"Amount", "23", "2"},
  };
  const long day2024 = PX_GregorianToSdn(2024, 2, 29) - 1721425;
  const long day2000 = PX_GregorianToSdn(2000, 1, 1) - 1721425;
  const long days[4] = {day2024, 0, -366, 0};
  const double stamps[4] = {(double)day2000 * 86400000.0 + 1000.0, -366.0 * 86400000.0, (double)day2000 * 86400000.0, 0};
  const long clocks[4] = {0, (13 * 60 + 45) * 60000L, 0, 0};
  int count = (int)(sizeof layout / sizeof layout[0]);
  pxdoc_t *doc = create(path, make_fields(layout, count), count, 1252);
  char *record = malloc((size_t)PX_get_recordsize(doc));
  for (int r = 0; r < 4; ++r) {
    int blank = r == 3, o = 0;
    memset(record, 0, (size_t)PX_get_recordsize(doc));
    PX_put_data_long(doc, record + o, 4, r + 1); o += 4;
    PX_put_data_long(doc, record + o, blank ? 0 : 4, days[r]); o += 4;
    PX_put_data_double(doc, record + o, blank ? 0 : 8, stamps[r]); o += 8;
    PX_put_data_long(doc, record + o, blank ? 0 : 4, clocks[r]); o += 4;
    if (r == 2)
      PX_put_data_bcd(doc, record + o, 2, "-42.50");
    else if (!blank)
      put_bcd_bytes(record + o, r == 1);
    PX_put_record(doc, record);
  }
  free(record);
  PX_close(doc);
  PX_delete(doc);
  return 0;
}

static int make_big(const char *path, long rows) {
  static const char *layout[][3] = {
      {"Id", "4", "4"},    {"Name", "1", "20"}, {"City", "1", "30"}, {"Balance", "5", "8"},
      {"Level", "3", "2"}, {"Joined", "2", "4"}, {"Active", "9", "1"}, {"Notes", "1", "40"},
  };
  int count = (int)(sizeof layout / sizeof layout[0]);
  pxdoc_t *doc = create(path, make_fields(layout, count), count, 1252);
  char *record = malloc((size_t)PX_get_recordsize(doc));
  char text[64];
  for (long r = 0; r < rows; ++r) {
    int o = 0;
    memset(record, 0, (size_t)PX_get_recordsize(doc));
    PX_put_data_long(doc, record + o, 4, (int)r + 1); o += 4;
    snprintf(text, sizeof text, "Name %ld", r); PX_put_data_alpha(doc, record + o, 20, text); o += 20;
    snprintf(text, sizeof text, "City %ld", r % 977); PX_put_data_alpha(doc, record + o, 30, text); o += 30;
    PX_put_data_double(doc, record + o, 8, (double)(r % 100000) / 100.0); o += 8;
    PX_put_data_short(doc, record + o, 2, (short)(r % 1000)); o += 2;
    PX_put_data_long(doc, record + o, 4, 730000 + (int)(r % 10000)); o += 4;
    PX_put_data_byte(doc, record + o, 1, (char)(r % 2)); o += 1;
    snprintf(text, sizeof text, "Note for record %ld", r); PX_put_data_alpha(doc, record + o, 40, text);
    PX_put_record(doc, record);
  }
  free(record);
  PX_close(doc);
  PX_delete(doc);
  return 0;
}

static int make_texts(const char *path, int codepage, int count, char **texts) {
  static const char *layout[][3] = {{"Id", "4", "4"}, {"Text", "1", "80"}};
  int columns = (int)(sizeof layout / sizeof layout[0]);
  pxdoc_t *doc = create(path, make_fields(layout, columns), columns, codepage);
  char *record = malloc((size_t)PX_get_recordsize(doc));
  for (int r = 0; r < count; ++r) {
    memset(record, 0, (size_t)PX_get_recordsize(doc));
    PX_put_data_long(doc, record, 4, r + 1);
    if (texts[r][0] != 0) PX_put_data_alpha(doc, record + 4, 80, texts[r]);
    PX_put_record(doc, record);
  }
  free(record);
  PX_close(doc);
  PX_delete(doc);
  return 0;
}

/* pxlib writes 7.x headers only: the 3.0 header is the 7.x one without the
   part 4.x added (0x58 to 0x78, with the code page) and with the table name
   in 79 bytes instead of 261; the data blocks stay where they are. */
static int make_old(const char *path, int count, char **texts) {
  int status = make_texts(path, 866, count, texts);
  if (status != 0) return status;
  FILE *file = fopen(path, "r+b");
  if (!file) return 1;
  unsigned char header[0x800];
  size_t read = fread(header, 1, sizeof header, file);
  int header_size = header[2] | header[3] << 8;
  int fields = header[0x21] | header[0x22] << 8;
  if (read < (size_t)header_size || header_size > (int)sizeof header) return 1;
  unsigned char old[0x800];
  memset(old, 0, sizeof old);
  memcpy(old, header, 0x58);
  old[0x39] = 3;
  size_t at = 0x58, pointers = (size_t)fields * 6 + 4;
  memcpy(old + at, header + 0x78, pointers);
  at += pointers;
  memcpy(old + at, header + 0x78 + pointers, 78); /* the table name, cut */
  at += 79;
  const unsigned char *names = header + 0x78 + pointers + 261;
  for (int i = 0; i < fields; ++i) {
    size_t length = strlen((const char *)names) + 1;
    memcpy(old + at, names, length);
    at += length;
    names += length;
  }
  fseek(file, 0, SEEK_SET);
  fwrite(old, 1, (size_t)header_size, file);
  fclose(file);
  return 0;
}

static int make_binary(const char *path, const char *blob_path) {
  static const char *layout[][3] = {
      {"Id", "4", "4"},   {"Notes", "12", "11"}, {"Raw", "24", "6"},   {"Pic", "16", "10"},
      {"Data", "13", "10"}, {"Ole", "15", "10"}, {"Amount", "23", "2"}, {"Flag", "9", "1"},
  };
  int count = (int)(sizeof layout / sizeof layout[0]);
  pxdoc_t *doc = create(path, make_fields(layout, count), count, 1252);
  if (PX_set_blob_file(doc, blob_path) < 0) return 1;
  char *record = malloc((size_t)PX_get_recordsize(doc));
  /* Every byte value, twice; a graphic keeps 8 bytes before its picture. */
  char bytes[8 + 512];
  memset(bytes, 0, 8);
  for (int i = 0; i < 512; ++i) bytes[8 + i] = (char)(i * 7 + 3);
  static const char memo[] = "Satir bir\r\nsatir iki\0eski metin kalintisi";
  static const char *amounts[3] = {"123456789012.34", "-98765432109.99", NULL};
  for (int r = 0; r < 3; ++r) {
    int o = 0;
    memset(record, 0, (size_t)PX_get_recordsize(doc));
    PX_put_data_long(doc, record + o, 4, r + 1); o += 4;
    if (r < 2) PX_put_data_blob(doc, record + o, 11, (char *)memo, (int)sizeof memo);
    o += 11;
    if (r < 2) PX_put_data_bytes(doc, record + o, 6, r == 0 ? "\x00\x01\xff\x00\x7f\x0a" : "\x10\x00\x00\x00\x00\x00");
    o += 6;
    if (r < 2) PX_put_data_blob(doc, record + o, 10, bytes, 8 + 300 + r);
    o += 10;
    if (r < 2) PX_put_data_blob(doc, record + o, 10, bytes + 8, 512 - r);
    o += 10;
    if (r < 2) PX_put_data_blob(doc, record + o, 10, bytes + 8 + r, 40);
    o += 10;
    if (amounts[r]) PX_put_data_bcd(doc, record + o, 2, (char *)amounts[r]);
    o += 17;
    if (r != 1) PX_put_data_byte(doc, record + o, 1, (char)(r == 0));
    PX_put_record(doc, record);
  }
  free(record);
  PX_close(doc);
  PX_delete(doc);
  return 0;
}

int main(int argc, char **argv) {
  if (argc >= 3 && strcmp(argv[1], "types") == 0) return make_types(argv[2], argc > 3 ? argv[3] : NULL);
  if (argc >= 3 && strcmp(argv[1], "edges") == 0) return make_edges(argv[2]);
  if (argc >= 4 && strcmp(argv[1], "big") == 0) return make_big(argv[2], atol(argv[3]));
  if (argc >= 4 && strcmp(argv[1], "texts") == 0) return make_texts(argv[2], atoi(argv[3]), argc - 4, argv + 4);
  if (argc >= 3 && strcmp(argv[1], "old") == 0) return make_old(argv[2], argc - 3, argv + 3);
  if (argc == 4 && strcmp(argv[1], "binary") == 0) return make_binary(argv[2], argv[3]);
  fprintf(stderr,
          "usage: %s types TABLE.DB [PASSWORD] | big TABLE.DB ROWS | edges TABLE.DB | texts TABLE.DB CODEPAGE TEXT...\n"
          "       | old TABLE.DB TEXT... | binary TABLE.DB TABLE.MB\n",
          argv[0]);
  return 2;
}
