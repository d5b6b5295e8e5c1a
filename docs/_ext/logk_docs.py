"""What logk's site adds to Sphinx:

- the module's docstrings are plain prose with worked examples indented
  below a line, which reStructuredText would take for a quotation or an
  error: such lines become Python code blocks as the docstrings are read;
- the reference shows only what the package logk defines (not what its
  classes inherit from Exception or tuple), with private bases left out;
- every code block of the user guide must be run by the tests: a doctest,
  or included from a file the test suite builds and runs. A block written
  into a page by hand is a warning, so the site does not build (-W).
"""
import inspect
import re

from docutils import nodes
from sphinx.util import logging

logger = logging.getLogger(__name__)

# The documents whose code the check holds: the guide and the front page.
_CHECKED = re.compile(r"^(index$|guide/)")
# Languages a page may show by hand: what a program writes, not code.
_OUTPUT_LANGUAGES = {"text", "none"}


def _indent(line):
    return len(line) - len(line.lstrip())


def examples_as_code(app, what, name, obj, options, lines):
    """Indented worked examples in a docstring become code blocks."""
    out = []
    k = 0
    while k < len(lines):
        line = lines[k]
        previous = next((l for l in reversed(out) if l.strip()), None)
        starts_example = (line.strip() and previous is not None and _indent(line) > _indent(previous)
                          and not previous.rstrip().endswith("::") and not previous.lstrip().startswith(".."))
        if not starts_example:
            out.append(line)
            k += 1
            continue
        base = _indent(previous)
        block = []
        while k < len(lines) and (not lines[k].strip() or _indent(lines[k]) > base):
            block.append(lines[k])
            k += 1
        while block and not block[-1].strip():
            block.pop()
        out += ["", " " * base + ".. code-block:: python", ""] + block + [""]
    lines[:] = out


def only_our_members(app, what, name, obj, skip, options):
    """Members inherited from outside the package are not logk's to show."""
    if skip:
        return None
    owner = getattr(obj, "__objclass__", None)
    function = getattr(obj, "__func__", obj)
    if isinstance(obj, property):
        function = obj.fget
    module = getattr(owner, "__module__", None) or getattr(function, "__module__", None)
    if module is None or not (module == "logk" or module.startswith("logk.")):
        return True
    return None


def public_bases(app, name, obj, options, bases):
    """Bases as a caller knows them: a private base gives way to its own."""
    def public(base):
        module = getattr(base, "__module__", "")
        if base.__name__.startswith("_") or (module.startswith("logk.") and base.__name__ == obj.__name__):
            return [b for parent in base.__bases__ for b in public(parent)]
        if base is object:
            return []
        return [base]
    bases[:] = [b for base in list(bases) for b in public(base)] or [object]


def no_constructor_signature(app, what, name, obj, options, signature, return_annotation):
    """Tables and sets are made by their class methods, not by calling the
    class: its signature would show the compiled object it wraps."""
    if what == "class" and inspect.isclass(obj) and hasattr(obj, "from_values") and hasattr(obj, "load"):
        return "", None
    return None


def untested_code(app, doctree, docname):
    if not _CHECKED.match(docname):
        return
    for node in doctree.findall(nodes.literal_block):
        included = node.get("source") and node.get("source") != app.env.doc2path(docname)
        if node.get("testnodetype") or included or node.get("language", "") in _OUTPUT_LANGUAGES:
            continue
        logger.warning("a code block that no test runs: make it a doctest, or include it from a file "
                       "under examples/ that the tests run", location=node)
    for node in doctree.findall(nodes.doctest_block):
        logger.warning("a >>> block that the doctest builder does not run: write it as a {doctest} block",
                       location=node)


def unresolved_c_names(app, env, node, contnode):
    """A reference to a C name the reference does not hold (a Fortran page
    naming a C function that is gone, say) is a warning, so the site does
    not build."""
    if node.get("refdomain") == "c" and node.get("reftarget", "").startswith("logk_"):
        logger.warning(f"no C declaration {node.get('reftarget')!r} in the reference", location=node)
    return None


def setup(app):
    app.connect("autodoc-process-docstring", examples_as_code, priority=100)  # before numpydoc reads it
    app.connect("autodoc-skip-member", only_our_members)
    app.connect("autodoc-process-bases", public_bases)
    app.connect("autodoc-process-signature", no_constructor_signature)
    app.connect("doctree-read", lambda app, doctree: untested_code(app, doctree, app.env.docname))
    app.connect("missing-reference", unresolved_c_names)
    return {"parallel_read_safe": True, "parallel_write_safe": True}
