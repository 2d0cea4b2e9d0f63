#!/usr/bin/env python3
"""Puts the editor's page together: the HTML with its style, the model (the
emscripten module with its WebAssembly inside) and the editor's script
inlined, so that the one file works when opened from disk.

Usage: BuildPage.py PAGE.html STYLE.css SCRIPT.js MODEL.js OUT.html
"""
import sys


def inline_script(text, name):
    # Only "</script" could end the element early; the escape keeps the text's meaning.
    return "<script>/* %s */\n%s\n</script>" % (name, text.replace("</script", "<\\/script"))


def main():
    page, style, script, model, out = sys.argv[1:6]
    html = open(page, encoding="utf-8").read()
    parts = {
        "<!-- style -->": "<style>\n%s</style>" % open(style, encoding="utf-8").read(),
        "<!-- model -->": inline_script(open(model, encoding="utf-8").read(), "the skin model and the checker"),
        "<!-- script -->": inline_script(open(script, encoding="utf-8").read(), "the editor"),
    }
    for mark, text in parts.items():
        if html.count(mark) != 1:
            sys.exit("BuildPage.py: %s must appear once in %s" % (mark, page))
        html = html.replace(mark, text)
    with open(out, "w", encoding="utf-8") as output:
        output.write(html)


if __name__ == "__main__":
    main()
