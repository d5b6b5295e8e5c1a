#!/usr/bin/env python3
"""The site as a reader meets it: built into a scratch directory with
warnings as errors, its doctests run, and its pages rendered by a headless
Chromium, which must show the text: the front page's navigation lists every
page of the guide, the C reference shows every function of logk.h with its
header's comment, and the search, run from the files, finds a page. The
reference lists every public name of the Python package, the Fortran module
and the R package, and no page fetches anything from the network. Prints
"skipped: ..." and exits 77 where Sphinx, its extensions or Chromium are
missing.

    check_site.py <source directory> <directory of the built Python module>
"""
import html.parser
import os
import re
import shutil
import subprocess
import sys
import tempfile

source, python_path = sys.argv[1], sys.argv[2]

browser = shutil.which("chromium") or shutil.which("chromium-browser")
if browser is None:
    print("skipped: the site's check needs a headless Chromium (apt-get install chromium)")
    sys.exit(77)


class Page(html.parser.HTMLParser):
    """A rendered DOM's text, and the link texts of its navigation."""

    def __init__(self):
        super().__init__()
        self.text = []
        self.navigation = []
        self.search_results = 0
        self._depth = 0      # inside the navigation's element
        self._link = None    # a link's text being read
        self._skipped = 0    # inside <script> or <style>

    def handle_starttag(self, tag, attrs):
        classes = (dict(attrs).get("class") or "").split()
        if tag in ("script", "style"):
            self._skipped += 1
        if self._depth:
            self._depth += 1
        elif tag == "div" and "wy-menu-vertical" in classes:
            self._depth = 1
        if self._depth and tag == "a":
            self._link = []
        if tag == "li" and self._in_search:
            self.search_results += 1
        if tag == "ul" and "search" in classes:
            self._in_search = True

    _in_search = False

    def handle_endtag(self, tag):
        if tag in ("script", "style"):
            self._skipped -= 1
        if self._depth and tag == "a" and self._link is not None:
            self.navigation.append(" ".join("".join(self._link).split()))
            self._link = None
        if self._depth:
            self._depth -= 1
        if tag == "ul":
            self._in_search = False

    def handle_data(self, data):
        if self._skipped:
            return
        self.text.append(data)
        if self._link is not None:
            self._link.append(data)

    def words(self):
        return " ".join(" ".join(self.text).split())


def render(scratch, page):
    """The DOM Chromium renders for the page, after its scripts have run."""
    profile = tempfile.mkdtemp(dir=scratch, prefix="chromium-")
    done = subprocess.run([browser, "--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                           "--disable-component-update", "--disable-sync", "--no-first-run",
                           f"--user-data-dir={profile}", "--virtual-time-budget=10000", "--dump-dom", page],
                          capture_output=True, text=True, timeout=300)
    if done.returncode != 0:
        sys.exit(f"chromium failed on {page}: {done.stderr[-2000:]}")
    parsed = Page()
    parsed.feed(done.stdout)
    return parsed


def guide_titles():
    """The title of every page of the guide, from the front page's toctree."""
    with open(os.path.join(source, "docs", "index.md"), encoding="utf-8") as index:
        pages = re.findall(r"^(guide/\w+)$", index.read(), re.M)
    titles = []
    for page in pages:
        with open(os.path.join(source, "docs", page + ".md"), encoding="utf-8") as text:
            titles.append(re.search(r"^# (.+)$", text.read(), re.M).group(1).strip())
    return titles


def c_functions():
    """Each function of logk.h, with the first words of the comment right
    above it (None where another declaration stands between)."""
    with open(os.path.join(source, "include", "logk", "logk.h"), encoding="utf-8") as header:
        lines = header.read().split("\n")
    functions = []
    comment, comment_ends = None, -2
    for number, line in enumerate(lines):
        if line.startswith("/*"):
            start = number
        if line.rstrip().endswith("*/"):
            block = " ".join(re.sub(r"^\s*/?\*+/?", "", l).strip() for l in lines[start:number + 1])
            # the reference shows `name` as code, without the quotes
            comment, comment_ends = " ".join(block.replace("*/", "").replace("`", "").split()[:6]), number
        match = re.match(r"^[A-Za-z][\w *]*?[ *](logk_\w+)\(", line)
        if match:
            functions.append((match.group(1), comment if comment_ends == number - 1 else None))
    return functions


def unlisted_names(html_dir):
    """Every public name of the Python package, the Fortran module and the R
    package that the reference does not list."""
    from sphinx.util.inventory import InventoryFile
    with open(os.path.join(html_dir, "objects.inv"), "rb") as inventory:
        objects = InventoryFile.load(inventory, "", os.path.join)
    python = {name for kind, entries in objects.items() if kind.startswith("py:") for name in entries}
    sys.path.insert(0, python_path)
    import logk
    missing = [f"the Python reference does not list logk.{name}" for name in logk.__all__
               if f"logk.{name}" not in python]
    with open(os.path.join(html_dir, "genindex.html"), encoding="utf-8") as index:
        entries = " ".join(re.sub(r"<[^>]+>", " ", index.read()).split())
    with open(os.path.join(source, "bindings", "fortran", "logk.f90"), encoding="utf-8") as module:
        fortran = [name.strip() for line in re.findall(r"^\s*public\s*::(.*)$", module.read(), re.M)
                   for name in line.split(",")]
    for name in fortran:  # a page of its own, or a row of the constants' page, listed in the index
        listed = re.search(rf"\b{name}(?: \([^)]*\))* \(Fortran (?P<kind>procedure|type|constant)\)", entries)
        page = "constants" if listed and listed.group("kind") == "constant" else name
        if not os.path.exists(os.path.join(html_dir, "reference", "fortran", f"{page}.html")) or not listed:
            missing.append(f"the Fortran reference does not list {name}")
    with open(os.path.join(source, "bindings", "r", "NAMESPACE"), encoding="utf-8") as namespace:
        r = [name.strip() for line in re.findall(r"^export\((.*)\)$", namespace.read(), re.M)
             for name in line.split(",")]
    missing += [f"the R reference does not list {name}" for name in r if f"{name} (R)" not in entries]
    if len(fortran) < 10 or len(r) < 5:
        missing.append(f"found only {len(fortran)} Fortran and {len(r)} R names")
    return missing


def main():
    failures = []
    with tempfile.TemporaryDirectory(prefix="logk-site-") as scratch:
        build = subprocess.run([sys.executable, os.path.join(source, "docs", "tools", "build_site.py"),
                                "--source", source, "--work", os.path.join(scratch, "work"),
                                "--html", os.path.join(scratch, "html"), "--python-path", python_path, "--doctest",
                                "--skip-missing"])
        if build.returncode == 77:
            sys.exit(77)
        if build.returncode != 0:
            sys.exit("the site does not build (see above)")
        html_dir = os.path.join(scratch, "html")

        front = render(scratch, "file://" + os.path.join(html_dir, "index.html"))
        if len(front.words()) < 200:
            failures.append(f"the front page renders {len(front.words())} characters of text")
        for title in guide_titles():
            if title not in front.navigation:
                failures.append(f"the front page's navigation does not list the guide's page {title!r}")

        reference = render(scratch, "file://" + os.path.join(html_dir, "reference", "c.html"))
        words = reference.words()
        functions = c_functions()
        if len(functions) < 10:
            failures.append(f"found only {len(functions)} functions in logk.h")
        for name, comment in functions:
            if name not in words:
                failures.append(f"the C reference does not show {name}")
            if comment and comment not in words:
                failures.append(f"the C reference does not show {name}'s comment, {comment!r}...")

        failures += unlisted_names(html_dir)

        search = render(scratch, "file://" + os.path.join(html_dir, "search.html") + "?q=stencil")
        if search.search_results == 0:
            failures.append("the search, run from the files, finds no page for 'stencil'")

        for root, _, files in os.walk(html_dir):
            for name in files:
                if not name.endswith(".html"):
                    continue
                with open(os.path.join(root, name), encoding="utf-8") as page:
                    text = page.read()
                for fetched in re.findall(r'<(?:script|link|img)[^>]+(?:src|href)="(https?:[^"]+)"', text):
                    failures.append(f"{name} fetches {fetched} from the network")
    for failure in failures:
        print(failure)
    if failures:
        sys.exit(1)
    print(f"the site builds, its doctests pass, and Chromium shows its pages: {len(guide_titles())} guide pages "
          f"in the navigation, {len(functions)} C functions in the reference, {search.search_results} search results")


main()
