"""Sphinx's settings for logk's site. tools/build_site.py runs Sphinx on a
copy of docs/ beside the generated reference pages, and tells it where the
source tree and the Doxygen XML are; every extension and the theme are
Debian's packages, and nothing is fetched from the network."""
import os
import sys

source_dir = os.environ["LOGK_SOURCE_DIR"]
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "_ext"))

with open(os.path.join(source_dir, "VERSION"), encoding="utf-8") as version_file:
    release = version_file.read().strip()
version = release
project = "logk"
copyright = "2026, the logk developers"
author = "the logk developers"

extensions = [
    "myst_parser",
    "breathe",
    "sphinx.ext.autodoc",
    "numpydoc",
    "sphinx.ext.doctest",
    "logk_docs",
]

source_suffix = {".rst": "restructuredtext", ".md": "markdown"}
root_doc = "index"
exclude_patterns = ["_build", "tools", "Doxyfile", "CMakeLists.txt"]
myst_heading_anchors = 3
myst_enable_extensions = ["colon_fence"]
highlight_language = "none"
# Quotes as written: the flags are 'N', 'W' and 'E', not typographic quotes.
smartquotes = False

# The C and C++ reference: Doxygen's XML of the public headers.
breathe_projects = {"logk": os.environ["LOGK_DOXYGEN_XML"]}
breathe_default_project = "logk"
breathe_domain_by_extension = {"h": "c", "hpp": "cpp"}
breathe_show_define_initializer = False
breathe_show_enumvalue_initializer = True

# The Python reference: the module built into the build tree, whose
# directory build_site.py puts on PYTHONPATH.
autodoc_member_order = "bysource"
autodoc_typehints = "none"
autodoc_default_options = {"members": True, "inherited-members": True, "show-inheritance": True}
numpydoc_show_class_members = False
numpydoc_class_members_toctree = False
numpydoc_xref_param_type = False

# The doctests run in a scratch directory holding the example files, so that
# a page can say "quartz.dat" as a user in that directory would.
doctest_global_setup = f"""
import os as _os, shutil as _shutil, tempfile as _tempfile
_here = _os.getcwd()
_scratch = _tempfile.mkdtemp(prefix="logk-doctest-")
for _name in ("quartz.dat", "kw.dat", "PT.dat", "logk.out.expected", "calcite.dat", "vapour_side.dat"):
    _shutil.copy(_os.path.join({os.path.join(source_dir, "examples")!r}, _name), _scratch)
_os.chdir(_scratch)
import numpy as np
if int(np.__version__.split(".")[0]) >= 2:
    np.set_printoptions(legacy="1.25")  # scalars print as numbers, not np.float64(...)
"""
doctest_global_cleanup = """
_os.chdir(_here)
_shutil.rmtree(_scratch, ignore_errors=True)
"""
doctest_test_doctest_blocks = ""

html_theme = "sphinx_rtd_theme"
html_title = f"logk {release}"
html_theme_options = {"navigation_depth": 3, "collapse_navigation": False, "prev_next_buttons_location": "bottom"}
html_show_sourcelink = False
html_copy_source = False
html_last_updated_fmt = None
# The pictures stay in docs/, where the README and the installed tree find them.
html_extra_path = []
