#!/usr/bin/env python3
# otfinst: turns a folder holding one family of OpenType fonts with
# PostScript (CFF) outlines into a LaTeX font family for one encoding.
#
# Quillmark writes a copy of this file per encoding and fills in the four
# marked sections below; everything between the markers is replaced.
#
#   otfinstN <font folder>
#
# otftotfm -a leaves tfm, vf, type1, enc and map files below TEXMFVAR; this
# script adds the .fd files and the package's .sty file below TEXMFHOME.

import os
import subprocess
import sys
import time

###encodingmarker
encoding = 'T1'
otftotfmpath = 'otftotfm'
###endencodingmarker

###localfontsdirmarker
localfontsdir = '/tex/latex/otfinst/'
###endlocalfontsdirmarker

# The vendor folder otftotfm files its output under; empty: otftotfm's own.
thevendor = ''

###berrynamemarker
berryname = { 'TeX Gyre Pagella' : 'qpl',
          'TeX Gyre Termes' : 'qtm',
          'TeX Gyre Heros' : 'qhv',
          'TeX Gyre Cursor' : 'qcr',
          'TeX Gyre Bonum' : 'qbk',
          'TeX Gyre Schola' : 'qcs',
          'TeX Gyre Adventor' : 'qag',
          'TeX Gyre Chorus' : 'qzc',
          }
###endberrynamemarker

# Default scale factors of the .fd files; the package's scaled option
# overrides them.
###scaledmarker
scaled = { 'TeX Gyre Pagella' : 1.0,
           'TeX Gyre Termes' : 1.0,
           'TeX Gyre Heros' : 1.0,
           'TeX Gyre Cursor' : 1.0,
           'TeX Gyre Bonum' : 1.0,
           'TeX Gyre Schola' : 1.0,
           'TeX Gyre Adventor' : 1.0,
           'TeX Gyre Chorus' : 1.0,
       }
###endscaledmarker

# NFSS series by weight word, longest words first so that "semibold" is not
# read as "bold".
SERIES = [
    ('ultralight', 'ul'), ('hairline', 'ul'), ('thin', 'ul'),
    ('extralight', 'el'), ('semilight', 'sl'), ('light', 'l'),
    ('semibold', 'sb'), ('demibold', 'sb'), ('demi', 'sb'),
    ('extrabold', 'eb'), ('ultrabold', 'ub'), ('heavy', 'ub'), ('black', 'ub'),
    ('bold', 'b'), ('medium', 'mb'),
]
SLANTS = ('italic', 'oblique', 'slanted', 'kursiv')
DIGITS = ['zero', 'one', 'two', 'three', 'four', 'five', 'six', 'seven', 'eight', 'nine']


def fail(text):
    print('otfinst: ' + text, file=sys.stderr)
    sys.exit(1)


def shortform(family):
    s = family
    if s.lower().endswith(' pro'):
        s = s[:-4]
    if s.lower().endswith(' std'):
        s = s[:-4]
    return s.replace(' ', '').lower()


def tool(name):
    here = os.path.dirname(otftotfmpath)
    if here and os.path.isfile(os.path.join(here, name)):
        return os.path.join(here, name)
    return name


def output_of(args):
    try:
        r = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                           stdin=subprocess.DEVNULL)
    except OSError as e:
        fail('cannot run %s: %s' % (args[0], e))
    if r.returncode != 0:
        return None
    return r.stdout.decode('utf-8', 'replace')


def texvar(name):
    value = output_of([tool('kpsewhich'), '-var-value=' + name])
    if not value or not value.strip():
        fail('kpsewhich does not know ' + name)
    return value.strip()


def style_of(fontpath):
    info = output_of([tool('otfinfo'), '--info', fontpath]) or ''
    style = ''
    preferred = ''
    for line in info.splitlines():
        key, sep, value = line.partition(':')
        if not sep:
            continue
        key = key.strip().lower()
        if key == 'subfamily':
            style = value.strip()
        elif key == 'preferred subfamily':
            preferred = value.strip()
    return preferred or style or 'Regular'


def features_of(fontpath):
    out = output_of([tool('otfinfo'), '--features', fontpath]) or ''
    return {line.split('\t')[0].strip() for line in out.splitlines() if line.strip()}


def series_shape(style):
    words = style.lower().replace('-', ' ')
    joined = words.replace(' ', '')
    series = 'm'
    for word, code in SERIES:
        if word in joined:
            series = code
            break
    shape = 'it' if any(w in joined for w in SLANTS) else 'n'
    return series, shape


def spelled(prefix):
    return ''.join(DIGITS[int(c)] if c.isdigit() else c for c in prefix)


def main():
    if len(sys.argv) != 2:
        fail('usage: %s <folder of .otf fonts>' % os.path.basename(sys.argv[0]))
    folder = os.path.abspath(sys.argv[1])
    if not os.path.isdir(folder):
        fail('no such folder: ' + folder)
    if len(scaled) != 1:
        fail('the scale table must name exactly one family')
    family = list(scaled.keys())[0]
    factor = str(scaled[family])
    berry = None
    for name, code in berryname.items():
        if name.lower() == family.lower():
            berry = code
            break
    if not berry:
        fail("no Berry name for the family '%s'" % family)
    short = shortform(family)
    enc = encoding.lower()

    # otftotfm -a falls back to TEXMFLOCAL (as root) when TEXMFVAR is missing.
    texmfvar = texvar('TEXMFVAR')
    os.makedirs(texmfvar, exist_ok=True)
    texmfhome = texvar('TEXMFHOME')
    fddir = texmfhome + '/' + localfontsdir.strip('/')
    os.makedirs(fddir, exist_ok=True)

    fonts = sorted(f for f in os.listdir(folder)
                   if f.lower().endswith('.otf') and os.path.isfile(os.path.join(folder, f)))
    if not fonts:
        fail('no .otf files in ' + folder)

    # family suffix -> list of (series, shape, tfm name)
    shapes = {}
    for font in fonts:
        path = os.path.join(folder, font)
        style = style_of(path)
        series, shape = series_shape(style)
        stylename = style.lower().replace(' ', '').replace('-', '')
        feats = features_of(path)
        runs = [('x' if 'lnum' in feats else '', 'lf', ['-flnum'] if 'lnum' in feats else [])]
        if 'onum' in feats:
            runs.append(('j', 'osf', ['-fonum']))
        for suffix, figures, figopts in runs:
            variants = [('', shape, [])]
            if 'smcp' in feats:
                variants.append(('-sc', 'si' if shape == 'it' else 'sc', ['-fsmcp']))
            for scpart, fdshape, scopts in variants:
                tfm = '%s-%s-%s-%s%s' % (enc, short, stylename, figures, scpart)
                cmd = [otftotfmpath, '-a', '--no-updmap', '-e', 'fontools_' + enc,
                       '--typeface=' + short]
                if thevendor:
                    cmd.append('--vendor=' + thevendor)
                cmd += ['-fkern', '-fliga'] + figopts + scopts + [path, tfm]
                print('otfinst: ' + ' '.join(cmd), flush=True)
                r = subprocess.run(cmd, stdin=subprocess.DEVNULL)
                if r.returncode != 0:
                    fail('otftotfm failed on %s (exit status %d)' % (font, r.returncode))
                shapes.setdefault(suffix, []).append((series, fdshape, tfm))

    write_fd_files(fddir, enc, berry, shapes, factor)
    write_sty(fddir, short, family, berry, shapes)
    print('otfinst: wrote %d .fd file(s) and %s.sty into %s' % (len(shapes), short, fddir))


def write_fd_files(fddir, enc, berry, shapes, factor):
    sp = spelled(berry)
    try:
        plain = float(factor) == 1.0
    except ValueError:
        fail('the scale factor %s is not a number' % factor)
    if plain:
        default = '\\let\\%s@@scale\\@empty' % sp
    else:
        default = '\\def\\%s@@scale{s*[%s]}' % (sp, factor)
    for suffix, entries in shapes.items():
        fam = berry + suffix
        name = '%s%s.fd' % (enc, fam)
        lines = ['\\ProvidesFile{%s}[%s font definitions written by otfinst]' % (name, time.strftime('%Y/%m/%d')),
                 '\\expandafter\\ifx\\csname %s@scale\\endcsname\\relax' % berry,
                 '%s\\else\\edef\\%s@@scale{s*[\\csname %s@scale\\endcsname]}\\fi' % (default, sp, berry),
                 '\\DeclareFontFamily{%s}{%s}{}' % (enc.upper(), fam)]
        declared = set()
        for series, shape, tfm in entries:
            if (series, shape) in declared:
                continue
            declared.add((series, shape))
            lines.append('\\DeclareFontShape{%s}{%s}{%s}{%s}{<-> \\%s@@scale %s}{}'
                         % (enc.upper(), fam, series, shape, sp, tfm))
        for series, shape in sorted(declared):
            if series == 'b' and ('bx', shape) not in declared:
                lines.append('\\DeclareFontShape{%s}{%s}{bx}{%s}{<-> ssub * %s/b/%s}{}'
                             % (enc.upper(), fam, shape, fam, shape))
            if shape == 'it' and (series, 'sl') not in declared:
                lines.append('\\DeclareFontShape{%s}{%s}{%s}{sl}{<-> ssub * %s/%s/it}{}'
                             % (enc.upper(), fam, series, fam, series))
        lines.append('\\endinput')
        with open(os.path.join(fddir, name), 'w') as f:
            f.write('\n'.join(lines) + '\n')


def write_sty(fddir, short, family, berry, shapes):
    sp = spelled(berry)
    default = 'j' if 'j' in shapes else ('x' if 'x' in shapes else '')
    lining = 'x' if 'x' in shapes else ''
    lines = ['\\NeedsTeXFormat{LaTeX2e}',
             '\\ProvidesPackage{%s}[%s v1 %s]' % (short, time.strftime('%Y/%m/%d'), family),
             '\\RequirePackage{xkeyval}',
             '\\define@key{%s.sty}{scaled}[1.0]{\\expandafter\\def\\csname %s@scale\\endcsname{#1}}' % (short, berry),
             '\\def\\%s@figures{%s}' % (sp, default),
             '\\def\\%s@target{rm}' % sp,
             '\\define@key{%s.sty}{lining}[]{\\def\\%s@figures{%s}}' % (short, sp, lining),
             '\\define@key{%s.sty}{oldstyle}[]{\\def\\%s@figures{%s}}' % (short, sp, default),
             '\\define@key{%s.sty}{rm}[]{\\def\\%s@target{rm}}' % (short, sp),
             '\\define@key{%s.sty}{sf}[]{\\def\\%s@target{sf}}' % (short, sp),
             '\\define@key{%s.sty}{tt}[]{\\def\\%s@target{tt}}' % (short, sp),
             '\\ProcessOptionsX\\relax',
             '\\expandafter\\edef\\csname\\%s@target default\\endcsname{%s\\%s@figures}' % (sp, berry, sp),
             '\\endinput']
    with open(os.path.join(fddir, short + '.sty'), 'w') as f:
        f.write('\n'.join(lines) + '\n')


if __name__ == '__main__':
    main()
