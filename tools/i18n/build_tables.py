#!/usr/bin/env python3
"""Turns the translators' UTF-8 sources into what the program carries.

    build_tables.py SOURCE_DIR OUT_DIR    write the tables, notes and caption data
    build_tables.py --check SOURCE_DIR    only check the sources

SOURCE_DIR holds strings/<CODE>.txt and notes/<CODE>/<FEATURE>.txt. Output:
  Quillo<CODE>.xml, QLUHDR<CODE>.xml   string tables: UTF-16 LE with BOM, CR LF
  QLUFTR<FEATURE><CODE>.txt            feature notes: UTF-16 LE with BOM, CR LF
  feature_captions.inc                 the installer buttons' captions, as C++ rows

Every language must have every key of the English tables (the Portuguese
(Brazil) header table has no IDS_DRV) with the same %s placeholders.
"""

import pathlib
import re
import sys

MAIN_KEYS = [
    ("IDS_NO_VELMORAHW", 125), ("IDS_UNSUPPORTED_OS", 126), ("IDS_DRIVER_ALREADY_EXISTS", 127),
    ("IDS_GRAPHICS_HW", 128), ("IDS_OS", 129), ("IDS_PROCESSOR", 130), ("IDS_BEST_DRIVER", 131),
    ("IDS_DOWNLOAD", 132), ("IDS_CANCEL_DOWNLOAD", 133), ("IDS_BROWSE", 134), ("IDS_SPEED_LIMIT", 135),
    ("IDS_DEFAULT_LOCATION", 136), ("IDS_DWLD_CANCELLED", 137), ("IDS_TITLE", 138), ("IDS_DLDTO", 139),
    ("IDS_SBDRV", 140), ("IDS_XPVISTA", 141), ("IDS_TRGPATH", 142), ("IDS_ADWLDPRG", 143), ("IDS_NO_HW", 144),
    ("IDS_SCR_RES", 145), ("IDS_NO_INET", 146), ("IDS_DWNLD_CMP", 147),
    ("IDS_NOT_VERIFIED", 148),
]
HEADER_KEYS = [
    ("IDS_CFS", 201), ("IDS_RPL", 202), ("IDS_WVH", 203), ("IDS_SMK", 204), ("IDS_CWL", 205), ("IDS_DRV", 206),
    ("IDS_FTRH", 207), ("IDS_FTRSH", 208),
]
CAPTION_KEYS = ["DOWNLOAD_RAPIDLINE", "DOWNLOAD_WAVEHAND", "DOWNLOAD_SMILEKEY"]
FEATURES = ["CFS", "RLX", "WVH", "SMK", "CWL"]
CODES = ["CHS", "CHT", "CSY", "DAN", "DEU", "ENU", "ESP", "FIN", "FRA", "GRK", "HNG", "ITA", "JAP", "KOR",
         "NLD", "NOR", "PLK", "PTB", "RSA", "SVE", "THA", "TRK"]
# Tables whose Language element names another code than the file's.
MAIN_TABLE_ID = {"JAP": "JPN"}
WITHOUT = {("PTB", "IDS_DRV")}


class SourceError(Exception):
    pass


def parse_strings(path):
    """Returns (language name, {section: [(key, text)]})."""
    language = None
    sections = {}
    current = None
    for number, raw in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        line = raw.strip()
        if not line or line.startswith("#"):
            continue
        header = re.fullmatch(r"\[(\w+)\]", line)
        if header:
            current = sections.setdefault(header.group(1), [])
            continue
        match = re.fullmatch(r"([A-Za-z_]+) = (.*)", line)
        if not match:
            raise SourceError(f"{path}:{number}: expected 'KEY = text', found {raw!r}")
        key, text = match.groups()
        if key == "language" and current is None:
            language = text
        elif current is None:
            raise SourceError(f"{path}:{number}: {key} stands before any [section]")
        else:
            current.append((key, text))
    if not language:
        raise SourceError(f"{path}: no 'language = ...' line")
    return language, sections


def placeholders(text):
    return re.findall(r"%[a-z]", text)


def check_language(code, sections, english):
    problems = []
    for section, keys in (("main", MAIN_KEYS), ("header", HEADER_KEYS), ("captions", [(k, 0) for k in CAPTION_KEYS])):
        entries = sections.get(section, [])
        expected = [key for key, _ in keys if (code, key) not in WITHOUT]
        found = [key for key, _ in entries]
        if found != expected:
            missing = [k for k in expected if k not in found]
            extra = [k for k in found if k not in expected]
            problems.append(f"{code} [{section}]: keys differ (missing {missing}, unexpected {extra}, or out of order)")
            continue
        reference = dict(english.get(section, []))
        for key, text in entries:
            if not text.strip():
                problems.append(f"{code} {key}: empty text")
            if placeholders(text) != placeholders(reference.get(key, "")):
                problems.append(f"{code} {key}: placeholders {placeholders(text)} instead of "
                                f"{placeholders(reference.get(key, ''))}")
    return problems


def check_notes(code, source):
    problems = []
    for feature in FEATURES:
        path = source / "notes" / code / f"{feature}.txt"
        english = (source / "notes" / "ENU" / f"{feature}.txt").read_text(encoding="utf-8").splitlines()
        if not path.exists():
            problems.append(f"{path}: missing")
            continue
        lines = path.read_text(encoding="utf-8").splitlines()
        if len(lines) != len(english):
            problems.append(f"{path}: {len(lines)} lines where English has {len(english)}")
            continue

        def shape(line):
            if not line:
                return "empty"
            if line.startswith("•  "):
                return "advantage"
            if re.match(r"\d+\. ", line):
                return "step " + line.split(".")[0]
            if line.startswith("*"):
                return "note"
            return "text"
        for number, (mine, theirs) in enumerate(zip(lines, english), 1):
            if shape(mine) != shape(theirs):
                problems.append(f"{path}:{number}: a {shape(mine)} line where English has a {shape(theirs)} line")
    return problems


def escape(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def utf16_file(path, lines):
    path.write_bytes(b"\xff\xfe" + ("\r\n".join(lines) + "\r\n").encode("utf-16-le"))


def table_lines(language_name, language_id, entries, keys):
    numbers = dict(keys)
    lines = ['<?xml version="1.0" encoding="utf-16"?>', "<Root>",
             f'  <Language Name="{language_name}" Align="Left" ID="{language_id}">',
             "    <Products>", '      <Product Name="QuilloUtility" ID="QLU">']
    for key, text in entries:
        lines.append(f'        <Caption ID="{key}" Value="{numbers[key]}">{escape(text)}</Caption>')
    lines += ["      </Product>", "    </Products>", "  </Language>", "</Root>"]
    return lines


def cpp_string(text):
    return 'L"' + "".join(c if c.isascii() and c not in '"\\' else f"\\u{ord(c):04x}" for c in text) + '"'


def main(argv):
    check_only = argv[1:2] == ["--check"]
    args = argv[2:] if check_only else argv[1:]
    if len(args) != (1 if check_only else 2):
        print(__doc__, file=sys.stderr)
        return 2
    source = pathlib.Path(args[0])
    try:
        parsed = {code: parse_strings(source / "strings" / f"{code}.txt") for code in CODES
                  if (source / "strings" / f"{code}.txt").exists()}
    except SourceError as error:
        print(error, file=sys.stderr)
        return 1
    problems = [f"{code}: strings/{code}.txt is missing" for code in CODES if code not in parsed]
    english = parsed.get("ENU", (None, {}))[1]
    for code, (_, sections) in parsed.items():
        problems += check_language(code, sections, english)
        problems += check_notes(code, source) if code != "ENU" else []
    if problems:
        print("\n".join(problems), file=sys.stderr)
        return 1
    if check_only:
        print(f"{len(parsed)} languages, every key and placeholder present")
        return 0

    out = pathlib.Path(args[1])
    out.mkdir(parents=True, exist_ok=True)
    captions = []
    for code, (name, sections) in parsed.items():
        utf16_file(out / f"Quillo{code}.xml",
                   table_lines(name, MAIN_TABLE_ID.get(code, code), sections["main"], MAIN_KEYS))
        utf16_file(out / f"QLUHDR{code}.xml", table_lines("English", "ENU", sections["header"], HEADER_KEYS))
        for feature in FEATURES:
            text = (source / "notes" / code / f"{feature}.txt").read_text(encoding="utf-8").splitlines()
            utf16_file(out / f"QLUFTR{feature}{code}.txt", text)
        row = ", ".join(cpp_string(text) for _, text in sections["captions"])
        captions.append(f'    {{L"{code}", {{{row}}}}},')
    (out / "feature_captions.inc").write_text(
        "// Generated from resources/i18n/strings by tools/i18n/build_tables.py.\n" + "\n".join(captions) + "\n",
        encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
