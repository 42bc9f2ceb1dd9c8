#!/usr/bin/python3
"""Sets a zip archive's compressed entries beside zlib's best compression.

    bench/zip-level9.py [--entries] ARCHIVE...

For each archive prints one line: the archive's name, its size in bytes, the
total compressed size of its entries and the total size of the same entries
deflated by zlib at level 9 as one stream each (raw deflate, window bits
-15, memory level 8, default strategy: what a zip writer asking zlib for its
best compression stores), all in bytes:

    out.xlsx archive=62977523 entries=62976741 zlib9=62990000

With --entries, one more line per entry follows ("  NAME entries=N zlib9=M").
Entries are read and compressed in pieces, so memory stays small however
large a part is. Stored entries count as they are on both sides.
"""
import sys
import zipfile
import zlib

PIECE = 1 << 20


def level9_size(archive, info):
    if info.compress_type == zipfile.ZIP_STORED:
        return info.compress_size
    compressor = zlib.compressobj(9, zlib.DEFLATED, -15, 8, zlib.Z_DEFAULT_STRATEGY)
    size = 0
    with archive.open(info) as entry:
        while piece := entry.read(PIECE):
            size += len(compressor.compress(piece))
    return size + len(compressor.flush())


def main(args):
    show_entries = "--entries" in args
    names = [a for a in args if a != "--entries"]
    if not names:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    for name in names:
        with zipfile.ZipFile(name) as archive:
            rows = [(info.filename, info.compress_size, level9_size(archive, info)) for info in archive.infolist()]
        with open(name, "rb") as f:
            archive_size = f.seek(0, 2)
        print(f"{name} archive={archive_size} entries={sum(r[1] for r in rows)} zlib9={sum(r[2] for r in rows)}")
        if show_entries:
            for entry, ours, level9 in rows:
                print(f"  {entry} entries={ours} zlib9={level9}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
