/* Prints the fields and records of a Paradox table as pxlib reads them, in
 * the neutral text form the reader tests compare with:
 *   a line "FIELD <name> <type byte> <size>" per field, then one line per
 *   record with the values separated by tabs ("\N" for blank values).
 * Usage: pxlib_dump TABLE.DB [BLOBFILE.MB]
 * Runs in its own process because pxlib is not robust on every table (the
 * Debian build crashes in PX_set_blob_file on every .MB file, so the tests
 * call it without one: BLOBs stored in the .MB file then print "ERR"). */
#include <iconv.h>
#include <paradox.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static void quiet_errors(pxdoc_t *p, int type, const char *msg, void *data) {
  (void)p; (void)type; (void)data;
  fprintf(stderr, "pxlib: %s\n", msg);
}

static void print_escaped(const char *text, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    char c = text[i];
    if (c == '\\') fputs("\\\\", stdout);
    else if (c == '\t') fputs("\\t", stdout);
    else if (c == '\n') fputs("\\n", stdout);
    else if (c == '\r') fputs("\\r", stdout);
    else putchar(c);
  }
}

static void print_hex(const unsigned char *bytes, size_t length) {
  for (size_t i = 0; i < length; ++i) printf("%02x", bytes[i]);
}

static uint64_t fnv1a(const unsigned char *bytes, size_t length) {
  uint64_t hash = 1469598103934665603ULL;
  for (size_t i = 0; i < length; ++i) {
    hash ^= bytes[i];
    hash *= 1099511628211ULL;
  }
  return hash;
}

/* Text in the table's code page, printed as UTF-8 through iconv, or as
 * "x:" and hex when the code page is unknown. */
static void print_text(const char *bytes, size_t length, int codepage) {
  char name[32];
  iconv_t cd = (iconv_t)-1;
  if (codepage == 1051) strcpy(name, "HP-ROMAN8");
  else snprintf(name, sizeof name, "CP%d", codepage);
  if (codepage > 0) cd = iconv_open("UTF-8", name);
  if (cd == (iconv_t)-1) {
    fputs("x:", stdout);
    print_hex((const unsigned char *)bytes, length);
    return;
  }
  size_t capacity = length * 4 + 4;
  char *out = malloc(capacity);
  char *in = (char *)bytes, *o = out;
  size_t inleft = length, outleft = capacity;
  if (iconv(cd, &in, &inleft, &o, &outleft) == (size_t)-1) {
    fputs("x:", stdout);
    print_hex((const unsigned char *)bytes, length);
  } else {
    print_escaped(out, (size_t)(o - out));
  }
  free(out);
  iconv_close(cd);
}

static void print_value(pxdoc_t *doc, pxfield_t *field, char *data, int codepage) {
  char *text = NULL;
  long lvalue;
  short svalue;
  double dvalue;
  char bvalue;
  int mod, size, ret;
  switch (field->px_ftype) {
    case pxfAlpha:
      if (PX_get_data_alpha(doc, data, field->px_flen, &text) > 0 && text) {
        print_text(text, strlen(text), codepage);
        doc->free(doc, text);
      } else fputs("\\N", stdout);
      break;
    case pxfShort:
      if (PX_get_data_short(doc, data, field->px_flen, &svalue) > 0) printf("%d", svalue);
      else fputs("\\N", stdout);
      break;
    case pxfLong: case pxfAutoInc: case pxfDate: case pxfTime:
      /* pxlib's blank test reads a 64-bit long from the 4 bytes: test here. */
      if (!data[0] && !data[1] && !data[2] && !data[3]) fputs("\\N", stdout);
      else if (PX_get_data_long(doc, data, field->px_flen, &lvalue) > 0) printf("%ld", lvalue);
      else fputs("\\N", stdout);
      break;
    case pxfNumber: case pxfCurrency:
      if (PX_get_data_double(doc, data, field->px_flen, &dvalue) > 0) printf("%.17g", dvalue);
      else fputs("\\N", stdout);
      break;
    case pxfTimestamp:
      if (PX_get_data_double(doc, data, field->px_flen, &dvalue) > 0) printf("%.0f", dvalue);
      else fputs("\\N", stdout);
      break;
    case pxfLogical:
      if (PX_get_data_byte(doc, data, field->px_flen, &bvalue) > 0) printf("%d", bvalue ? 1 : 0);
      else fputs("\\N", stdout);
      break;
    case pxfBCD:
      ret = PX_get_data_bcd(doc, (unsigned char *)data, field->px_fdc, &text);
      if (ret > 0 && text) { fputs(text, stdout); doc->free(doc, text); }
      else if (ret == 0) fputs("\\N", stdout);
      else fputs("ERR", stdout);
      break;
    case pxfBytes: {
      /* Debian's pxlib allocates the value itself. */
      char *buffer = NULL;
      if (PX_get_data_bytes(doc, data, field->px_flen, &buffer) > 0 && buffer)
        print_hex((unsigned char *)buffer, (size_t)field->px_flen);
      else fputs("\\N", stdout);
      if (buffer) doc->free(doc, buffer);
      break;
    }
    case pxfMemoBLOb: case pxfBLOb: case pxfFmtMemoBLOb: case pxfOLE: case pxfGraphic: {
      int leader = field->px_flen - 10;
      unsigned char *tail = (unsigned char *)data + leader;
      uint32_t length = tail[4] | (tail[5] << 8) | (tail[6] << 16) | ((uint32_t)tail[7] << 24);
      if (length == 0) { fputs("\\N", stdout); break; }
      if (field->px_ftype == pxfGraphic)
        ret = PX_get_data_graphic(doc, data, field->px_flen, &mod, &size, &text);
      else
        ret = PX_get_data_blob(doc, data, field->px_flen, &mod, &size, &text);
      if (ret <= 0 || !text) { fputs("ERR", stdout); break; }
      if (field->px_ftype == pxfMemoBLOb) print_text(text, (size_t)size, codepage);
      else printf("%d:%016llx", size, (unsigned long long)fnv1a((unsigned char *)text, (size_t)size));
      doc->free(doc, text);
      break;
    }
    default:
      fputs("?", stdout);
  }
}

int main(int argc, char **argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: %s TABLE.DB [BLOBFILE.MB]\n", argv[0]);
    return 2;
  }
  pxdoc_t *doc = PX_new2(quiet_errors, NULL, NULL, NULL);
  if (PX_open_file(doc, argv[1]) < 0) {
    fprintf(stderr, "cannot open %s\n", argv[1]);
    return 1;
  }
  if (argc > 2 && PX_set_blob_file(doc, argv[2]) < 0) fprintf(stderr, "cannot open %s\n", argv[2]);
  int codepage = doc->px_head->px_doscodepage;
  int fields = PX_get_num_fields(doc);
  int records = PX_get_num_records(doc);
  pxfield_t *field = PX_get_fields(doc);
  for (int i = 0; i < fields; ++i)
    printf("FIELD %s %d %d\n", field[i].px_fname, field[i].px_ftype,
           field[i].px_ftype == pxfBCD ? field[i].px_fdc : field[i].px_flen);
  char *record = malloc((size_t)PX_get_recordsize(doc));
  for (int r = 0; r < records; ++r) {
    if (!PX_get_record(doc, r, record)) {
      printf("ERR record %d\n", r);
      continue;
    }
    int offset = 0;
    for (int i = 0; i < fields; ++i) {
      if (i > 0) putchar('\t');
      print_value(doc, &field[i], record + offset, codepage);
      offset += field[i].px_flen;
    }
    putchar('\n');
  }
  free(record);
  PX_close(doc);
  PX_delete(doc);
  return 0;
}
