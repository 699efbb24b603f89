#!/usr/bin/python3
"""Makes the program's private font files from Liberation Mono.

The program prints in one fixed-pitch face, "RUZeruzaz Ori", in a regular and
a bold style, shipped as VKCOUR.TTF and VKCOURBD.TTF. Liberation Mono is
metric-compatible with the face the host application's layouts were made for,
and its licence (SIL Open Font License) asks that a modified version carry a
name of its own, so the files are Liberation Mono under the program's family
name. Only the naming records change; outlines and metrics stay as they are.

Usage: make_private_fonts.py SOURCE_DIR OUTPUT_DIR
"""

import os
import sys

from fontTools.ttLib import TTFont

FAMILY = "RUZeruzaz Ori"
POSTSCRIPT_FAMILY = "RUZeruzazOri"

# (source file, output file, style)
FONTS = [
    ("LiberationMono-Regular.ttf", "VKCOUR.TTF", "Regular"),
    ("LiberationMono-Bold.ttf", "VKCOURBD.TTF", "Bold"),
]

# Name table record ids.
FAMILY_ID = 1
SUBFAMILY_ID = 2
UNIQUE_ID = 3
FULL_NAME_ID = 4
POSTSCRIPT_ID = 6
TYPOGRAPHIC_FAMILY_ID = 16
TYPOGRAPHIC_SUBFAMILY_ID = 17


def names_for(style, version):
    full = FAMILY if style == "Regular" else f"{FAMILY} {style}"
    return {
        FAMILY_ID: FAMILY,
        SUBFAMILY_ID: style,
        UNIQUE_ID: f"{FAMILY} {style}; derived from Liberation Mono {version}",
        FULL_NAME_ID: full,
        POSTSCRIPT_ID: f"{POSTSCRIPT_FAMILY}-{style}",
        TYPOGRAPHIC_FAMILY_ID: FAMILY,
        TYPOGRAPHIC_SUBFAMILY_ID: style,
    }


def rename(font, style):
    table = font["name"]
    version = f"{font['head'].fontRevision:.3f}".rstrip("0").rstrip(".")
    # Every platform and language that carries names gets the new ones, so no
    # reader finds the old family under some other record.
    platforms = {(r.platformID, r.platEncID, r.langID) for r in table.names}
    for name_id, text in names_for(style, version).items():
        for platform_id, encoding_id, language_id in platforms:
            table.setName(text, name_id, platform_id, encoding_id, language_id)


def check(path, style):
    font = TTFont(path)
    table = font["name"]
    family = table.getDebugName(FAMILY_ID)
    subfamily = table.getDebugName(SUBFAMILY_ID)
    if family != FAMILY or subfamily != style:
        raise SystemExit(f"{path}: names came out as {family!r} {subfamily!r}")
    for record in table.names:
        if record.nameID in (FAMILY_ID, FULL_NAME_ID, POSTSCRIPT_ID,
                             TYPOGRAPHIC_FAMILY_ID):
            if "Liberation" in record.toUnicode():
                raise SystemExit(f"{path}: record {record.nameID} kept the old name")


def main(argv):
    if len(argv) != 3:
        raise SystemExit(__doc__)
    source_dir, output_dir = argv[1], argv[2]
    os.makedirs(output_dir, exist_ok=True)
    for source_name, output_name, style in FONTS:
        source = os.path.join(source_dir, source_name)
        output = os.path.join(output_dir, output_name)
        # The source's own timestamps are kept, so a rebuild gives the same
        # bytes.
        font = TTFont(source, recalcTimestamp=False)
        rename(font, style)
        temporary = output + ".part"
        font.save(temporary)
        check(temporary, style)
        os.replace(temporary, output)


if __name__ == "__main__":
    main(sys.argv)
