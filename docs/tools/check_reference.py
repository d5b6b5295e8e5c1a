#!/usr/bin/env python3
"""Holds the C and C++ reference to the headers: every public function,
type, variable and class in Doxygen's XML must carry the comment its header
gives it. A member of a struct may rest on its struct's comment (the
headers describe a struct's fields together); a member of a class needs its
own. The declarations the headers leave without a comment are listed below
with what describes them instead; an entry that gains a comment must leave
the list, so the list cannot go stale.

    check_reference.py <Doxygen XML directory>
"""
import glob
import os
import sys
import xml.etree.ElementTree as ElementTree

# Declarations without a comment of their own, each with what says what it is.
UNCOMMENTED = {
    "logk_table": "the opaque table; logk.h's head comment shows it in use",
    "logk_error": "its fields are described at logk_table_load",
    "logk::Table": "logk.hpp's head comment shows it in use; each member has its comment",
    "logk::kPressureNodes": "the number of pressure nodes, 37, beside PGRID",
    "logk::kTemperatureNodes": "the number of temperature nodes, 36, beside TGRID",
}
# Not part of the interface: the macro that exports the C++ classes.
_IGNORED_KINDS = {"define", "friend"}


def _text(element):
    return "" if element is None else "".join(element.itertext()).strip()


def _described(element):
    return bool(_text(element.find("briefdescription")) or _text(element.find("detaileddescription")))


def declarations(xml_dir):
    """(what, name, described) for each public declaration in the XML."""
    for path in sorted(glob.glob(os.path.join(xml_dir, "*.xml"))):
        if os.path.basename(path) in ("index.xml", "Doxyfile.xml"):
            continue
        for compound in ElementTree.parse(path).getroot().iter("compounddef"):
            kind, scope = compound.get("kind"), compound.findtext("compoundname")
            if kind in ("class", "struct"):
                if compound.get("prot") != "public":
                    continue
                yield kind, scope, _described(compound)
            elif kind not in ("file", "namespace") or scope == "std":
                continue
            for member in compound.iter("memberdef"):
                if member.get("prot") != "public" or member.get("kind") in _IGNORED_KINDS:
                    continue
                name = member.findtext("name") if kind == "file" else f"{scope}::{member.findtext('name')}"
                described = _described(member)
                if kind == "struct":  # a field rests on its struct's comment, or the struct's place in the list
                    described = described or _described(compound) or scope in UNCOMMENTED
                yield member.get("kind"), name, described


def problems(xml_dir):
    found = []
    listed_described = {name: True for name in UNCOMMENTED}
    seen = set()
    for what, name, described in declarations(xml_dir):
        seen.add(name)
        if name in UNCOMMENTED:
            listed_described[name] = listed_described[name] and described
        elif not described:
            found.append(f"{what} {name} has no comment in its header")
    for name, why in UNCOMMENTED.items():
        if name not in seen:
            found.append(f"{name} ({why}) is no longer declared: remove it from check_reference.py's list")
        elif listed_described[name]:
            found.append(f"{name} has its comment now: remove it from check_reference.py's list")
    return found


if __name__ == "__main__":
    listed = problems(sys.argv[1])
    for line in listed:
        print(line)
    sys.exit(1 if listed else 0)
