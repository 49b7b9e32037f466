#!/usr/bin/env python3
"""Writes the C++ table of HTML5's named character references from Python's
own copy of them (html.entities.html5), so that the program decodes every
name a browser knows without a hand-kept list.

usage: make_html_entities.py <output header>
"""
import html.entities
import os
import sys


def c_string(text):
    # Octal escapes take at most three digits, so no following character can
    # run into one.
    return '"' + ''.join('\\%03o' % b for b in text.encode('utf-8')) + '"'


def main():
    out = sys.argv[1]
    # Only the names ending in ";" : the older forms without it are the same
    # characters, and a text is only decoded where the ";" stands.
    names = sorted(name[:-1] for name in html.entities.html5 if name.endswith(';'))
    lines = [
        '// Made at build time by scripts/make_html_entities.py from Python\'s',
        '// html.entities.html5. Sorted by name, byte by byte, for a binary search.',
        '#pragma once',
        '',
        'namespace htmlEntities {',
        '',
        'struct Entity {',
        '    const char *name; // without "&" and ";"',
        '    const char *utf8; // the characters it stands for',
        '};',
        '',
        'inline constexpr Entity kEntities[] = {',
    ]
    for name in names:
        lines.append('    {"%s", %s},' % (name, c_string(html.entities.html5[name + ';'])))
    lines += ['};', '', '} // namespace htmlEntities', '']
    text = '\n'.join(lines)
    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    # Rewritten only when it changes, so that nothing is rebuilt for nothing.
    try:
        with open(out, encoding='utf-8') as f:
            if f.read() == text:
                return
    except OSError:
        pass
    with open(out + '.part', 'w', encoding='utf-8') as f:
        f.write(text)
    os.replace(out + '.part', out)


if __name__ == '__main__':
    main()
