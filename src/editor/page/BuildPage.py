#!/usr/bin/env python3
"""Puts the editor's page together: the HTML with its style, the model (the
emscripten module with its WebAssembly inside) and the editor's script, which
esbuild has bundled from its modules into one function, inlined so that the
one file works when opened from disk. The page's policy allows exactly these
inline scripts, by their SHA-256 hashes. The licences of the packages that
the editor's script bundles go with it, as comments in front of it.

Usage: BuildPage.py PAGE.html STYLE.css MODEL.js EDITOR.js OUT.html PACKAGE=LICENSE...
"""
import base64
import hashlib
import sys

HASHES_MARK = "{script-hashes}"


def script_body(path, name):
    # Only "</script" could end the element early; the escape keeps the text's meaning.
    text = open(path, encoding="utf-8").read()
    return "/* %s */\n%s\n" % (name, text.replace("</script", "<\\/script"))


def source_hash(body):
    return "'sha256-%s'" % base64.b64encode(hashlib.sha256(body.encode("utf-8")).digest()).decode("ascii")


def replace_once(html, mark, text, page):
    if html.count(mark) != 1:
        sys.exit("BuildPage.py: %s must appear once in %s" % (mark, page))
    return html.replace(mark, text)


def main():
    page, style, model, editor, out = sys.argv[1:6]
    packages = [argument.split("=", 1) for argument in sys.argv[6:]]
    html = open(page, encoding="utf-8").read()
    scripts = {
        "<!-- model -->": script_body(model, "the skin model and the checker"),
        "<!-- script -->": script_body(editor, "the editor"),
    }
    html = replace_once(html, HASHES_MARK, " ".join(map(source_hash, scripts.values())), page)
    html = replace_once(html, "<!-- style -->", "<style>\n%s</style>" % open(style, encoding="utf-8").read(), page)
    comments = []
    for package, path in packages:
        licence = open(path, encoding="utf-8").read().strip()
        if "--" in licence:
            sys.exit("BuildPage.py: %s cannot go into an HTML comment" % path)
        comments.append("<!-- The editor's script bundles %s, under this licence:\n\n%s\n-->" % (package, licence))
    for mark, body in scripts.items():
        html = replace_once(html, mark, "<script>%s</script>" % body, page)
    html = replace_once(html, "<!-- licences -->", "\n".join(comments), page)
    with open(out, "w", encoding="utf-8") as output:
        output.write(html)


if __name__ == "__main__":
    main()
