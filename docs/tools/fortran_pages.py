#!/usr/bin/env python3
"""The Fortran reference, read from the module's source: a page for each
name the module makes public (its procedures and derived types), with the
comment above its definition, its declaration, and the C function it
calls, whose entry in the C reference holds the rules; and an index page
with the module's own comment. A procedure added to the module's public
list gets its page by itself.

    fortran_pages.py <logk.f90> <output directory>
"""
import os
import re
import sys

_HEAD = re.compile(r"^\s*(?:(?:type\([^)]*\)|integer\([^)]*\)|real\([^)]*\))\s+)?"
                   r"(?P<kind>function|subroutine)\s+(?P<name>\w+)\s*\((?P<args>[^)]*)\)(?P<rest>.*)$", re.I)
_TYPE = re.compile(r"^\s*type\s*,\s*bind\(c\)\s*::\s*(?P<name>\w+)", re.I)
_BIND = re.compile(r"bind\s*\(\s*c\s*,\s*name\s*=\s*'(?P<name>\w+)'", re.I)
_RESULT = re.compile(r"result\s*\(\s*(?P<name>\w+)\s*\)", re.I)
_CALLS = re.compile(r"\b(c_\w+)\s*\(", re.I)
_PARAMETER = re.compile(r"^\s*(?P<type>[^:!]+?)\s*,\s*parameter\s*::\s*(?P<name>\w+)\s*=\s*(?P<value>[^!]+?)"
                        r"\s*(?:!\s*(?P<note>.*))?$", re.I)


def _joined(lines):
    """The source's lines, continuations (&) joined, each with its line number."""
    out = []
    pending = ""
    for number, line in enumerate(lines, 1):
        code = line.rstrip()
        if pending:
            code = pending + " " + code.lstrip().lstrip("&").lstrip()
        if code.endswith("&"):
            pending = code[:-1].rstrip()
            continue
        pending = ""
        out.append((number, code))
    return out


def parse(source):
    """The module's comment, its public names in order, and the definitions:
    {name: {kind, comment, text, bind, calls, args, result}}."""
    lines = source.split("\n")
    joined = _joined(lines)
    public = []
    for _, code in joined:
        match = re.match(r"^\s*public\s*::\s*(.*)$", code, re.I)
        if match:
            public.extend(name.strip() for name in match.group(1).split(","))
    head = []
    for line in lines:
        if not line.startswith("!"):
            break
        head.append(line[1:].strip())
    definitions = {}
    comment = []
    group = []  # the comment above a run of constants, which each of them shares
    k = 0
    while k < len(joined):
        number, code = joined[k]
        stripped = code.strip()
        if stripped.startswith("!"):
            comment.append(stripped[1:].strip())
            k += 1
            continue
        parameter = _PARAMETER.match(code)
        if parameter:
            group = comment or group
            definitions[parameter.group("name")] = {
                "kind": "parameter", "comment": group, "type": parameter.group("type").strip(),
                "value": parameter.group("value").strip(), "note": (parameter.group("note") or "").strip()}
            comment = []
            k += 1
            continue
        group = []
        head_match, type_match = _HEAD.match(code), _TYPE.match(code)
        if head_match or type_match:
            match = head_match or type_match
            name = match.group("name")
            kind = head_match.group("kind").lower() if head_match else "type"
            end = re.compile(rf"^\s*end\s+{kind if kind != 'type' else 'type'}\s+{name}\b", re.I)
            body = [code]
            k += 1
            while k < len(joined) and not end.match(joined[k][1]):
                body.append(joined[k][1])
                k += 1
            body.append(joined[k][1] if k < len(joined) else "")
            rest = head_match.group("rest") if head_match else ""
            bind = _BIND.search(rest)
            result = _RESULT.search(rest)
            definitions[name] = {
                "kind": kind,
                "comment": [line for line in comment],
                "body": body,
                "bind": bind.group("name") if bind else None,
                "args": [a.strip() for a in head_match.group("args").split(",") if a.strip()] if head_match else [],
                "result": result.group("name") if result else (name if kind == "function" else None),
                "calls": [c for line in body[1:] for c in _CALLS.findall(line.split("!")[0])],
            }
            comment = []
            k += 1
            continue
        comment = []  # a comment that is followed by anything else is no definition's
        k += 1
    return head, public, definitions


def _declarations(definition):
    """The lines a caller needs: the head, the declarations of the dummy
    arguments and of the result (not the locals), the end."""
    if definition["kind"] == "type":
        return [line.strip() if i in (0, len(definition["body"]) - 1) else "  " + line.strip()
                for i, line in enumerate(definition["body"])]
    names = {a.lower() for a in definition["args"]}
    if definition["result"]:
        names.add(definition["result"].lower())
    out = [definition["body"][0].strip()]
    for line in definition["body"][1:-1]:
        code = line.split("!")[0]
        if "::" not in code:
            continue
        declared = {re.sub(r"\(.*", "", part).strip().lower() for part in code.split("::", 1)[1].split(",")}
        # an array's bounds hold commas too: keep the names that are words
        declared = {name for name in declared if re.fullmatch(r"\w+", name)}
        if declared & names:
            out.append("  " + line.strip())
    out.append(definition["body"][-1].strip())
    return out


_INLINE = re.compile(r"`([^`]+)`")


def rst_text(text):
    """Comment prose as reStructuredText: `x` as literal, specials escaped."""
    pieces = []
    last = 0
    for match in _INLINE.finditer(text):
        pieces.append(_escape(text[last:match.start()]))
        pieces.append(f"``{match.group(1)}``")
        last = match.end()
    pieces.append(_escape(text[last:]))
    return "".join(pieces)


def _escape(text):
    text = text.replace("\\", "\\\\")
    text = re.sub(r"([*|`])", r"\\\1", text)
    return re.sub(r"(\w)_(?=\W|$)", r"\1\\_", text)


def _paragraphs(comment):
    return "\n".join(rst_text(line) for line in comment)


def _c_function(definitions, definition):
    """The C function the procedure is or calls, if any."""
    if definition["bind"]:
        return definition["bind"]
    for called in definition["calls"]:
        inner = definitions.get(called)
        if inner and inner["bind"]:
            return inner["bind"]
    return None


def page(name, definitions):
    definition = definitions[name]
    kind = definition["kind"]
    title = f"{name}"
    lines = [f".. _fortran-{name}:", "", title, "=" * len(title), "",
             f".. index:: single: {name} (Fortran {'type' if kind == 'type' else 'procedure'})", ""]
    if definition["comment"]:
        lines += [_paragraphs(definition["comment"]), ""]
    lines += [".. code-block:: fortran", ""] + ["   " + line for line in _declarations(definition)] + [""]
    c_name = _c_function(definitions, definition)
    if kind == "type":
        lines += [f"The type is C's :c:struct:`{name}`, field for field (``bind(c)``).", ""]
    elif definition["bind"]:
        lines += [f"It is the C function :c:func:`{c_name}` itself, declared with ``bind(c)``: "
                  f"its entry in the C reference holds the rules (units, what may be left out or lie "
                  f"over what, threads, failures).", ""]
    elif c_name:
        lines += [f"It calls the C function :c:func:`{c_name}`, passing C's NULL for an output left out: "
                  f"its entry in the C reference holds the rules (units, what may lie over what, threads, "
                  f"failures).", ""]
    if "workers" in [a.lower() for a in definition["args"]]:
        lines += ["``workers`` (optional, 1 unless given) counts threads as :doc:`/guide/workers` says.", ""]
    return "\n".join(lines)


def constants(public, definitions):
    """One page for the module's constants, a table for each run of them
    that shares a comment, in the module's order."""
    lines = [".. _fortran-constants:", "", "Constants", "=========", "",
             "The module's named constants, each C's value of the same name in ``logk.h``.", ""]
    groups = []
    for name in public:
        definition = definitions[name]
        if definition["kind"] != "parameter":
            continue
        if not groups or groups[-1][0] is not definition["comment"]:
            groups.append((definition["comment"], []))
        groups[-1][1].append(name)
    for comment, names in groups:
        if comment:
            lines += [_paragraphs(comment), ""]
        lines += [".. list-table::", "   :header-rows: 1", "", "   * - name", "     - value", "     - meaning"]
        for name in names:
            definition = definitions[name]
            lines += [f"   * - .. _fortran-{name}:", "", f"       .. index:: single: {name} (Fortran constant)", "",
                      f"       ``{name}``", f"     - ``{definition['type']}``, ``{definition['value']}``",
                      f"     - {rst_text(definition['note'])}"]
        lines.append("")
    return "\n".join(lines)


def index(head, public, definitions):
    lines = [".. _fortran-reference:", "", "Fortran", "=======", "",
             "The module ``logk`` (``bindings/fortran/logk.f90``, installed as ``include/logk/logk.f90``), "
             "in its own words:", ""]
    lines += [_paragraphs(head), "",
              "Building a model with it: :doc:`/guide/fortran`.", "",
              ".. toctree::", "   :maxdepth: 1", ""]
    lines += [f"   {name}" for name in public if definitions[name]["kind"] != "parameter"]
    if any(definitions[name]["kind"] == "parameter" for name in public):
        lines.append("   constants")
    return "\n".join(lines) + "\n"


def write_if_changed(path, text):
    """Writes the file only when its text changes, so that Sphinx reads again
    only what changed."""
    if os.path.exists(path):
        with open(path, encoding="utf-8") as old:
            if old.read() == text:
                return
    with open(path, "w", encoding="utf-8") as new:
        new.write(text)


def main(module_path, out_dir):
    with open(module_path, encoding="utf-8") as module:
        head, public, definitions = parse(module.read())
    missing = [name for name in public if name not in definitions]
    if missing:
        sys.exit(f"fortran_pages: no definition found in {module_path} for the public {', '.join(missing)}")
    os.makedirs(out_dir, exist_ok=True)
    procedures = [name for name in public if definitions[name]["kind"] != "parameter"]
    wanted = {f"{name}.rst" for name in procedures} | {"index.rst", "constants.rst"}
    for stale in set(os.listdir(out_dir)) - wanted:
        os.remove(os.path.join(out_dir, stale))
    for name in procedures:
        write_if_changed(os.path.join(out_dir, f"{name}.rst"), page(name, definitions))
    write_if_changed(os.path.join(out_dir, "constants.rst"), constants(public, definitions))
    write_if_changed(os.path.join(out_dir, "index.rst"), index(head, public, definitions))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
