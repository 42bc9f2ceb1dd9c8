"""Finds texts in the text of a PDF as pdftotext gives it (whitespace taken
out), where a page break or a table's continuation row may have cut a text
into pieces: the pieces lie in order, with other texts (the cells beside
them, the captions a new page repeats) in between.

Shared by the readers of the exported documents (tests/dialog/read_pages.py,
tests/formats/text/latex_read_back.py), which put this folder on sys.path.
"""
import re
import unicodedata

# How far ahead of the previous text the next one of a list is looked for,
# and how far the pieces of a text cut by a page break may lie apart.
AHEAD = 8_000_000
PIECES_APART = 400_000
# A text is cut into at most this many pieces, and one more for each
# PIECE_LENGTH characters of it (a long memo fills many pages of a narrow
# column).
MOST_PIECES = 12
PIECE_LENGTH = 200
# The first piece of a cut text is its first place after the text before
# that starts with this many of its characters.
FIRST_PIECE = 4

# The typographic forms the TeX fonts give quotes, tildes, circumflexes
# and dashes, as the plain characters.
TYPOGRAPHIC = str.maketrans({"\u2019": "'", "\u2018": "`", "\u201d": '"', "\u201c": '"', "\u02c6": "^",
                             "\u02dc": "~", "\u2013": "--", "\u2014": "---"})
# Letters the default TeX fonts have no glyph for (the exporter writes "?").
NO_GLYPH = set("\u00d0\u00de\u00f0\u00fe\u0104\u0105\u0110\u0111\u0118\u0119\u0126\u0127\u012e\u012f"
               "\u0138\u013f\u0140\u0149\u014a\u014b\u0166\u0167\u0172\u0173\u017f")
WHITESPACE = re.compile(r"\s+", re.UNICODE)


def normalise_latex(text):
    """A text as pdftotext reads it from a compiled LaTeX document, without
    whitespace; underscores are left out too (\\_ is drawn as a rule)."""
    text = unicodedata.normalize("NFKC", text.translate(TYPOGRAPHIC)).translate(TYPOGRAPHIC)
    return WHITESPACE.sub("", text).replace("_", "")


def showable_in_latex(text):
    """Whether the default fonts of a LaTeX document show every character."""
    return all(" " <= ch <= "\u017f" and ch not in NO_GLYPH and not "\x7f" <= ch < "\xa0" for ch in text
               if ch not in "\r\n\t")


def common_prefix(found, at, wanted):
    length = 0
    while length < len(wanted) and at + length < len(found) and found[at + length] == wanted[length]:
        length += 1
    return length


def longest_prefix(found, rest, cursor):
    """The longest start of `rest` found after `cursor`, and where."""
    low, high, where = 0, len(rest), -1
    while low < high:
        middle = (low + high + 1) // 2
        hit = found.find(rest[:middle], cursor, cursor + PIECES_APART + middle)
        if hit >= 0:
            low, where = middle, hit
        else:
            high = middle - 1
    return low, where


def find_in_pieces(found, wanted, position):
    """Where the first piece of a text that a page break cut starts, or None.

    The first piece follows the text before it closely; the others come
    later (after the pieces of the cells beside it and the captions a new
    page repeats). The next text is looked for from the first piece's
    start: where this one's piece ends is not sure (the next may begin with
    the words this one goes on with)."""
    start = found.find(wanted[:FIRST_PIECE], position, position + PIECES_APART)
    if start >= 0:
        length = common_prefix(found, start, wanted)
    else:
        length, start = longest_prefix(found, wanted, position)
        if length == 0:
            return None
    rest, cursor = wanted[length:], start + length
    for _ in range(MOST_PIECES + len(wanted) // PIECE_LENGTH):
        if not rest:
            return start
        length, where = longest_prefix(found, rest, cursor)
        if length == 0:
            return None
        rest, cursor = rest[length:], where + length
    return start if not rest else None


def locate(found, wanted, position=0):
    """Where a (normalised) text is found from `position` on, whole or in
    pieces, and where the next text may be looked for; None when it is
    not there."""
    at = found.find(wanted, position, position + AHEAD + len(wanted))
    if at >= 0:
        return at + len(wanted)
    return find_in_pieces(found, wanted, position)
