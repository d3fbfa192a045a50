#include "mathtime/MtProject.h"

#include "fontinfo/FontMetric.h"
#include "fontinfo/FontTable.h"
#include "fontinfo/ScratchFolder.h"
#include "mathalpha/GlyphMeasure.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/FileHelpers.h"
#include "services/Privileged.h"
#include "services/Runners.h"
#include "texenv/TexEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qlk::mt {

namespace {

QString kpsewhich() { return shellQuote(texProgram(QStringLiteral("kpsewhich"))); }
QString tex(const char* name) { return shellQuote(texProgram(QLatin1String(name))); }

// Writes a whole file anew; false when it cannot be written.
bool writeText(const QString& path, const QString& text)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray bytes = text.toUtf8();
    return f.write(bytes) == bytes.size() && f.flush();
}

// Output lines of a command; an empty output gives none.
QStringList outputLines(const QString& output)
{
    return output.isEmpty() ? QStringList() : output.split(QLatin1Char('\n'));
}

QString stemOf(const QString& path)
{
    return path.section(QLatin1Char('/'), -1).section(QLatin1Char('.'), 0, 0);
}

// Runs tftopl on a TFM file, writing stem.pl into `folder`; the text of the
// property list, or no value when tftopl wrote none.
std::optional<QString> propertyList(const QString& tfmPath, const QString& folder, const QString& stem)
{
    const int slash = tfmPath.lastIndexOf(QLatin1Char('/'));
    const QString dir = slash <= 0 ? QStringLiteral("/") : tfmPath.left(slash);
    const QString file = tfmPath.mid(slash + 1);
    const QString pl = folder + '/' + stem + QStringLiteral(".pl");
    QFile::remove(pl);
    runShell(QStringLiteral("cd ") + shellQuote(dir) + QStringLiteral(" && ") + tex("tftopl") + ' ' +
             shellQuote(file) + ' ' + shellQuote(folder + '/' + stem));
    if (!QFileInfo(pl).isFile())
        return std::nullopt;
    return readLatin1File(pl);
}

// Whether TeX finds the support files the project lays into TEXMFHOME; a
// message names the first that is missing.
bool supportFilesFound(const QStringList& names)
{
    const QStringList found = outputLines(runShellQuiet(kpsewhich() + ' ' + shellJoin(names)));
    for (const QString& name : names) {
        bool there = false;
        for (const QString& path : found)
            there = there || path.endsWith('/' + name);
        if (!there) {
            msgBox(QStringLiteral("The support file ") + name +
                   QStringLiteral(" is not in your TeX trees; the installer puts it into TEXMFHOME. Cannot proceed."));
            return false;
        }
    }
    return true;
}

bool writeLatin1(const QString& path, const QString& text)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray bytes = text.toLatin1();
    return f.write(bytes) == bytes.size() && f.flush();
}

} // namespace

QString referenceFolder()
{
    return configFolder() + QStringLiteral("/Quillmark2013/mathtime");
}

QString vitalsFile()
{
    const QString beside = appFolder() + QStringLiteral("/mt2vitals.txt");
    if (QFileInfo(beside).isFile())
        return beside;
    const QString own = referenceFolder() + QStringLiteral("/mt2vitals.txt");
    if (QFileInfo(own).isFile())
        return own;
    return QString();
}

void MtProject::status(const QString& text, bool append)
{
    if (onStatus)
        onStatus(text, append);
}

bool MtProject::loadMasterState()
{
    needGlyphs = !QFileInfo(masterEntry(QStringLiteral("imgs/gl1.png"))).isFile();
    const QString metrics = masterEntry(QStringLiteral("metrics"));
    measured = GlyphMetrics();
    needMetrics = !QFileInfo::exists(metrics);
    if (needMetrics)
        return true;
    readLines(metrics);
    bool complete = true;
    measured = readMetrics(fileLines, &complete);
    if (!complete) {
        // Measured again by the next Process rather than used with holes.
        needMetrics = true;
        msgBox(QStringLiteral("The metrics file of the master folder is incomplete; Process will "
                              "measure the glyphs again."));
    }
    return complete;
}

void MtProject::loadReference()
{
    reference = GlyphMetrics();
    const QString file = vitalsFile();
    if (file.isEmpty())
        return;
    readLines(file);
    bool complete = true;
    reference = readMetrics(fileLines, &complete);
    if (!complete)
        msgBox(QStringLiteral("The reference metrics file is incomplete; the missing values read as 0: ") + file);
}

// ---- stage 1: checks, settings and adjustments ------------------------

bool MtProject::stage1(const BuildControls& c, Stage1& out)
{
    status(QStringLiteral("Running process fontinst"));
    const int leftSpacing = wholeValue(c.left.trimmed());
    const int rightSpacing = wholeValue(c.right.trimmed());
    if (c.tfms.size() != 3) {
        msgBox(QStringLiteral("You need to have 3 tfm names (sans .tfm)---italic, roman and bold roman"));
        return false;
    }
    for (const QString& name : c.tfms) {
        if (!isSafeFontName(name)) {
            msgBox(QStringLiteral("The tfm name \"") + name +
                   QStringLiteral("\" may hold only letters, digits, \"-\", \"_\" and \".\". Cannot proceed."));
            return false;
        }
    }
    const QString family = c.family.trimmed();
    if (!isBerryName(family)) {
        msgBox(QStringLiteral("The Berry name must have exactly 3 characters, letters or digits. Cannot proceed."));
        return false;
    }
    QStringList tfmFiles;
    for (const QString& name : c.tfms)
        tfmFiles << name + QStringLiteral(".tfm");
    const QStringList paths = outputLines(runShell(kpsewhich() + ' ' + shellJoin(tfmFiles)));
    if (paths.size() != 3) {
        msgBox(QStringLiteral("One or more of the tfm names was not found in TeX trees. Cannot proceed."));
        return false;
    }
    out.paths = paths;
    berry = family;

    Settings s;
    s.noV = c.noV;
    s.noW = c.noW;
    s.leftText = c.left;
    s.rightText = c.right;
    s.family = family;
    s.scale = c.scale;
    s.italic = c.tfms.at(0);
    s.roman = c.tfms.at(1);
    s.bold = c.tfms.at(2);
    s.italicPath = paths.at(0);
    s.romanPath = paths.at(1);
    s.boldPath = paths.at(2);
    s.numbersKept = c.numbersKept;
    if (!writeText(masterEntry(QStringLiteral("settings")), settingsText(s))) {
        msgBox(QStringLiteral("Unable to write the settings file in the master folder: ") + master);
        return false;
    }

    const QString adj = masterEntry(QStringLiteral("adjustments"));
    const QString old = masterEntry(QStringLiteral("adjustments-old"));
    if (QFileInfo::exists(adj)) {
        QFile::remove(old);
        QFile::rename(adj, old);
    }
    out.lines = adjustmentLines(c.grid, leftSpacing, rightSpacing);
    if (!writeText(adj, out.lines.fileText)) {
        msgBox(QStringLiteral("Unable to write the adjustments file in the master folder: ") + master);
        return false;
    }
    return true;
}

// ---- stage 2: scale, substitutes and adjustment metric files ------------

void MtProject::readSubs()
{
    subs.clear();
    subGlyphs.clear();
    if (master.isEmpty())
        return;
    const QString file = masterEntry(QStringLiteral("subs"));
    if (!QFileInfo(file).isFile())
        return;
    const SubsFile parsed = parseSubs(readTextFile(file));
    for (int i = 0; i < parsed.names.size(); ++i) {
        SubstituteFont f;
        f.tfm = parsed.names.at(i);
        f.type = parsed.types.at(i);
        f.unset = parsed.unset.at(i);
        const auto x = fontMetric(QStringLiteral("x"), f.tfm);
        f.xheight = x ? *x : -1;
        f.clause = encodingClause(f.tfm);
        subs.append(f);
    }
    subGlyphs = parsed.glyphFont;
    if (parsed.badEntries > 0)
        msgBox(QStringLiteral("Some entries of the file \"subs\" name no substitute font or no glyph "
                              "from 0 to 105; they were skipped."));
}

bool MtProject::stage2(const BuildControls& c, Stage1& s1)
{
    const QString scratch = makeScratchFolder(documentsFolder());
    if (scratch.isEmpty()) {
        msgBox(QStringLiteral("Unable to create a scratch folder in ") + documentsFolder());
        return false;
    }
    tmpfolder = scratch;

    for (int i : {0, 2}) {
        const QString& name = c.tfms.at(i);
        const auto x = fontMetric(QStringLiteral("x"), name);
        if (!x || *x <= 0) {
            msgBox(QStringLiteral("Unable to find the x-height of ") + name + QStringLiteral(". Cannot proceed."));
            return false;
        }
        xh[i] = *x;
    }
    sf = scaleFactor(c.scale.trimmed());

    readSubs();
    for (SubstituteFont& f : subs) {
        if (!isSafeFontName(f.tfm)) {
            msgBox(QStringLiteral("The substitute tfm name \"") + f.tfm +
                   QStringLiteral("\" may hold only letters, digits, \"-\", \"_\" and \".\". Cannot proceed."));
            return false;
        }
        if (f.xheight <= 0) {
            msgBox(QStringLiteral("Unable to find the x-height of ") + f.tfm + QStringLiteral(". Cannot proceed."));
            return false;
        }
        f.clause += substituteScaleClause(sf, f.type == 0 ? xh[0] : xh[2], f.xheight);
    }
    italicScale = baseScale(sf, xh[0], 457);
    boldScale = baseScale(sf, xh[2], 464);

    if (!subs.isEmpty()) {
        QStringList names;
        for (const SubstituteFont& f : subs)
            names << f.tfm + QStringLiteral(".tfm");
        const QStringList found = outputLines(runShell(kpsewhich() + ' ' + shellJoin(names)));
        if (found.size() != subs.size()) {
            msgBox(QStringLiteral("One or more of the substitute tfm names was not found in TeX trees. Cannot proceed."));
            return false;
        }
        s1.paths += found;
    }

    for (const QString& path : s1.paths) {
        const QString stem = stemOf(path);
        const auto pl = propertyList(path, scratch, stem);
        if (!pl) {
            msgBox(QStringLiteral("tftopl wrote no property list for ") + path + QStringLiteral(". Cannot proceed."));
            return false;
        }
        const QString fixed = fixAutoencCodingScheme(*pl);
        if (fixed != *pl)
            writeLatin1(scratch + '/' + stem + QStringLiteral(".pl"), fixed);
    }

    // fontinst reads property lists, not TFM files: the two MathTime fonts
    // go in as lists whose coding scheme fontinst.rc ties to our encodings.
    const QStringList mt = outputLines(runShell(kpsewhich() + QStringLiteral(" mt2mitx.tfm mt2mbt.tfm")));
    if (mt.size() != 2) {
        msgBox(QStringLiteral("The required tfm files: mt2mitx.tfm, mt2mbt.tfm are not installed. Cannot continue."));
        return false;
    }
    const std::array<QString, 2> stems = {QStringLiteral("mt2mitx"), QStringLiteral("mt2mbt")};
    const std::array<const char*, 2> schemes = {kItalicScheme, kBoldScheme};
    for (int i = 0; i < 2; ++i) {
        const auto pl = propertyList(mt.at(i), scratch, stems[i]);
        if (!pl) {
            msgBox(QStringLiteral("tftopl wrote no property list for ") + mt.at(i) + QStringLiteral(". Cannot proceed."));
            return false;
        }
        writeLatin1(scratch + '/' + stems[i] + QStringLiteral(".pl"),
                    withCodingScheme(*pl, QLatin1String(schemes[i])));
    }
    if (!writeText(scratch + QStringLiteral("/fontinst.rc"), fontinstRc())) {
        msgBox(QStringLiteral("Unable to write into the scratch folder ") + scratch);
        return false;
    }

    const QString headerPath = appFolder() + QStringLiteral("/qlkheader.mtx");
    if (!QFileInfo(headerPath).isFile()) {
        msgBox(QStringLiteral("The metric header qlkheader.mtx is missing beside the program. Cannot proceed."));
        return false;
    }
    const QString header = readTextFile(headerPath);
    const AdjustmentLines& l = s1.lines;
    if (!writeText(scratch + QStringLiteral("/adjustmentsI.mtx"),
                   adjustmentMetricFile(header, false, l.italicShift, l.italicSkew)) ||
        !writeText(scratch + QStringLiteral("/adjustmentsB.mtx"),
                   adjustmentMetricFile(header, true, l.boldShift, l.boldSkew))) {
        msgBox(QStringLiteral("Unable to write into the scratch folder ") + scratch);
        return false;
    }
    return true;
}

// ---- stage 3: fontinst driver and virtual fonts ------------------------

bool MtProject::stage3(const BuildControls& c)
{
    DriverInputs in;
    in.berry = berry;
    for (int i = 0; i < 3; ++i) {
        in.textFonts[i] = c.tfms.at(i);
        in.clauses[i] = encodingClause(c.tfms.at(i));
    }
    in.sf = sf;
    in.italicScale = italicScale;
    in.boldScale = boldScale;
    in.noV = c.noV;
    in.noW = c.noW;
    in.numbersKept = c.numbersKept;
    in.needMetrics = needMetrics;
    in.subs = subs;
    QStringList support = {QStringLiteral("mt2mi.etx"), QStringLiteral("mt2mb.etx")};
    if (in.noV || in.noW)
        support << QStringLiteral("unsetalf") + unsetSuffix(in.noV, in.noW) + QStringLiteral(".mtx");
    if (!supportFilesFound(support))
        return false;
    const QString driver = driverFileName(berry);
    if (!writeText(tmpfolder + '/' + driver, driverText(in))) {
        msgBox(QStringLiteral("Unable to write into the scratch folder ") + tmpfolder);
        return false;
    }
    const QString p = packageName(berry);
    runShell(QStringLiteral("cd ") + shellQuote(tmpfolder) + QStringLiteral(" && ") + tex("tex") + ' ' +
             shellQuote(driver) + QStringLiteral(" && ") + tex("vptovf") + ' ' +
             shellJoin({p + QStringLiteral("mit"), p + QStringLiteral("mit"), p + QStringLiteral("mit")}) +
             QStringLiteral(" && ") + tex("vptovf") + ' ' +
             shellJoin({p + QStringLiteral("mbt"), p + QStringLiteral("mbt"), p + QStringLiteral("mbt")}));
    return lastShell.errorCode == 0;
}

// ---- stage 4: the modified package --------------------------------------

bool MtProject::stage4()
{
    readLines(styFile);
    const QStringList sty = fileLines;
    const bool boldOutline = !runShellQuiet(kpsewhich() + QStringLiteral(" mt2mbt.pfb")).isEmpty();
    const QString p = packageName(berry);
    QString missing;
    const auto text = packageText(sty, p, boldOutline, italicScale, &missing);
    if (!text) {
        msgBox(QStringLiteral("mtpro2.sty lacks lines the new fonts need (") + missing +
               QStringLiteral("); no package was written: ") + styFile);
        return false;
    }
    if (!writeText(tmpfolder + '/' + p + QStringLiteral(".sty"), *text)) {
        msgBox(QStringLiteral("Unable to write into the scratch folder ") + tmpfolder);
        return false;
    }
    status(QStringLiteral("---Finished"), true);
    return true;
}

bool MtProject::process(const BuildControls& c)
{
    if (master.isEmpty())
        return false;
    Stage1 s1;
    return stage1(c, s1) && stage2(c, s1) && stage3(c) && stage4();
}

bool MtProject::pressprocess(const BuildControls& c)
{
    const bool hadMetrics = needMetrics;
    if (needGlyphs || needMetrics) {
        needMetrics = true;
        const bool built = process(c);
        needMetrics = hadMetrics;
        // Measuring or picturing fonts that were not made would read an
        // older build's files or none.
        if (!built)
            return false;
        if (needMetrics) {
            if (!makeMetrics()) {
                msgBox(QStringLiteral("Error running makeMetrics"));
                return false;
            }
            needMetrics = false;
        }
        if (needGlyphs && !makeGlyphs()) {
            msgBox(QStringLiteral("Error running makeGlyphs"));
            return false;
        }
    }
    return process(c);
}

// ---- pictures and measured metrics --------------------------------------

bool MtProject::makeGlyphs()
{
    const QString imgs = masterEntry(QStringLiteral("imgs"));
    status(QStringLiteral("Running Makeglyphs"));
    if (!QFileInfo(imgs).isDir() && !QDir().mkpath(imgs)) {
        msgBox(QStringLiteral("Unable to create folder named imgs in your master folder: ") + master);
        return false;
    }
    if (tmpfolder.isEmpty() || !QFileInfo(tmpfolder).isDir()) {
        msgBox(QStringLiteral("There is no build to make glyph pictures of. Press Process first."));
        return false;
    }
    if (!supportFilesFound({QStringLiteral("genzmtglyphs.tex")}))
        return false;
    if (!writeText(tmpfolder + QStringLiteral("/gl.tex"),
                   QStringLiteral("\\def\\xxxxxx{") + packageName(berry) +
                       QStringLiteral("}\n\\input genzmtglyphs.tex\n"))) {
        msgBox(QStringLiteral("Unable to write into the scratch folder ") + tmpfolder);
        return false;
    }
    runShell(QStringLiteral("cd ") + shellQuote(tmpfolder) + QStringLiteral(" && ") + tex("latex") +
             QStringLiteral(" gl && ") + tex("dvipng") + QStringLiteral(" -T tight -D 1440 gl && ") +
             shellQuote(systemProgram(QStringLiteral("mv"))) + QStringLiteral(" gl[0-9]*.png ") + shellQuote(imgs));
    if (lastShell.errorCode != 0) {
        status(QStringLiteral("---FAILED"), true);
        return false;
    }
    needGlyphs = false;
    return true;
}

bool MtProject::makeMetrics()
{
    const QString measuring = masterEntry(QStringLiteral("tmp"));
    if (!QFileInfo(measuring).isDir() && !QDir().mkpath(measuring)) {
        msgBox(QStringLiteral("Unable to create folder named tmp in your master folder: ") + master);
        return false;
    }
    if (tmpfolder.isEmpty() || !QFileInfo(tmpfolder).isDir()) {
        msgBox(QStringLiteral("There is no build to measure. Press Process first."));
        return false;
    }
    if (!supportFilesFound({QStringLiteral("genzmtglyphsB.tex")}))
        return false;
    if (!writeText(tmpfolder + QStringLiteral("/glt.tex"),
                   QStringLiteral("\\def\\xxxxxx{") + packageName(berry) +
                       QStringLiteral("}\n\\input genzmtglyphsB.tex\n"))) {
        msgBox(QStringLiteral("Unable to write into the scratch folder ") + tmpfolder);
        return false;
    }
    runShell(mathalpha::measuringCommand(tmpfolder, measuring));
    if (lastShell.errorCode != 0)
        return false;

    readLines(measuring + QStringLiteral("/lst.txt"));
    int bad = 0;
    const QVector<int> widths = pictureWidths(fileLines, &bad);
    GlyphMetrics m = measured;
    const QString p = packageName(berry);
    for (const bool bold : {false, true}) {
        const QString name = p + (bold ? QStringLiteral("mbt.vpl") : QStringLiteral("mit.vpl"));
        if (!scanVpl(readLatin1File(tmpfolder + '/' + name), bold, m)) {
            msgBox(QStringLiteral("Error searching ") + name + QStringLiteral(" for (CHARACTER D 65"));
            return false;
        }
    }
    metricsFromWidths(widths, m);
    if (!writeText(masterEntry(QStringLiteral("metrics")), metricsText(m))) {
        msgBox(QStringLiteral("Unable to write the metrics file in the master folder: ") + master);
        return false;
    }
    measured = m;
    if (bad > 0)
        msgBox(QStringLiteral("Some lines of the picture list lst.txt could not be read; their glyphs measure 0."));
    return true;
}

// ---- tools of a finished build -------------------------------------------

namespace {

// The two-line document that typesets mt2testfile.tex with `package`.
QString sampleDocument(const QString& package)
{
    return QStringLiteral("\\def\\xxxxxx{") + package + QStringLiteral("}\n\\input mt2testfile.tex\n");
}

// latex, dvips and ps2pdf on `stem`.tex in `folder`; true when all ran.
bool typesetToPdf(const QString& folder, const QString& stem)
{
    if (!supportFilesFound({QStringLiteral("mt2testfile.tex")}))
        return false;
    runShell(QStringLiteral("cd ") + shellQuote(folder) + QStringLiteral(" && ") + tex("latex") + ' ' +
             shellQuote(stem) + QStringLiteral(" && ") + tex("dvips") + QStringLiteral(" -R0 -Ppdf -o") +
             shellQuote(stem + QStringLiteral(".ps")) + ' ' + shellQuote(stem + QStringLiteral(".dvi")) +
             QStringLiteral(" && ") + shellQuote(systemProgram(QStringLiteral("ps2pdf"))) + ' ' +
             shellQuote(stem + QStringLiteral(".ps")));
    return lastShell.errorCode == 0;
}

} // namespace

bool MtProject::test()
{
    if (tmpfolder.isEmpty())
        return false;
    if (!writeText(tmpfolder + QStringLiteral("/glyphtest.tex"), sampleDocument(packageName(berry)))) {
        msgBox(QStringLiteral("Unable to write into the scratch folder ") + tmpfolder);
        return false;
    }
    if (!typesetToPdf(tmpfolder, QStringLiteral("glyphtest")))
        return false;
    const QString pdf = tmpfolder + QStringLiteral("/glyphtest.pdf");
    if (!openWithDefault(pdf)) {
        msgBox(QStringLiteral("Unable to open ") + pdf);
        return false;
    }
    return true;
}

void MtProject::table()
{
    if (!tmpfolder.isEmpty())
        fontTable(tmpfolder, packageName(berry));
}

QString MtProject::install(bool useAdmin)
{
    if (tmpfolder.isEmpty())
        return QString();
    const QString p = packageName(berry);
    const QString s = tmpfolder;
    // (file, folder below the tree's root)
    const QList<QPair<QString, QString>> files = {
        {p + QStringLiteral("mit.tfm"), QStringLiteral("fonts/tfm/pctex/") + p},
        {p + QStringLiteral("mbt.tfm"), QStringLiteral("fonts/tfm/pctex/") + p},
        {p + QStringLiteral("mit.vf"), QStringLiteral("fonts/vf/pctex/") + p},
        {p + QStringLiteral("mbt.vf"), QStringLiteral("fonts/vf/pctex/") + p},
        {p + QStringLiteral(".sty"), QStringLiteral("tex/latex/pctex/") + p}};
    const QStringList dirs = {QStringLiteral("fonts/tfm/pctex/") + p, QStringLiteral("fonts/vf/pctex/") + p,
                              QStringLiteral("tex/latex/pctex/") + p};
    for (const QString& d : dirs) {
        if (!QDir().mkpath(s + QStringLiteral("/TDS/") + d)) {
            msgBox(QStringLiteral("Error creating TDS folder structure in ") + s);
            return QString();
        }
    }
    const QString cp = shellQuote(systemProgram(QStringLiteral("cp")));
    QStringList intoTds;
    for (const auto& [file, dir] : files)
        intoTds << cp + ' ' + shellQuote(s + '/' + file) + ' ' + shellQuote(s + QStringLiteral("/TDS/") + dir + '/');
    runShell(intoTds.join(QStringLiteral(" && ")));
    if (lastShell.errorCode != 0) {
        msgBox(QStringLiteral("Math font package ") + p + QStringLiteral(" was not installed: a file of the build is missing."));
        return QString();
    }

    const QString tree = useAdmin ? texmfLocal : texmfHome;
    const QString mkdir = shellQuote(systemProgram(QStringLiteral("mkdir")));
    const QString sudo = useAdmin ? QStringLiteral("/usr/bin/sudo ") : QString();
    QStringList steps;
    QStringList targets;
    for (const QString& d : dirs)
        targets << shellQuote(tree + '/' + d);
    steps << sudo + mkdir + QStringLiteral(" -p ") + targets.join(QLatin1Char(' '));
    for (const auto& [file, dir] : files)
        steps << sudo + cp + QStringLiteral(" -pf ") + shellQuote(s + QStringLiteral("/TDS/") + dir + '/' + file) + ' ' +
                     shellQuote(tree + '/' + dir + '/');
    const QString copy = steps.join(QStringLiteral(" && "));
    if (useAdmin) {
        const int status = runAsRoot(copy);
        if (status != 0) {
            msgBox(QStringLiteral("Copying into ") + tree + QStringLiteral(" ended with exit status ") +
                   QString::number(status) + QStringLiteral("; math font package ") + p +
                   QStringLiteral(" was not installed."));
            return QString();
        }
        const int ls = runAsRoot(QStringLiteral("/usr/bin/sudo ") + shellQuote(texProgram(QStringLiteral("mktexlsr"))));
        if (ls != 0) {
            msgBox(QStringLiteral("mktexlsr ended with exit status ") + QString::number(ls) +
                   QStringLiteral("; TeX may not find math font package ") + p + QStringLiteral(" until it runs."));
            return QString();
        }
    } else {
        runShell(copy);
        if (lastShell.errorCode != 0) {
            msgBox(QStringLiteral("Math font package ") + p + QStringLiteral(" was not installed into ") + tree + '.');
            return QString();
        }
    }
    return QStringLiteral("Math font package ") + p +
           QStringLiteral(" has been installed. Options are same as mtpro2 [lite].");
}

// ---- reference data of the commercial fonts ----------------------------------

namespace {

bool hasPictures(const QString& folder)
{
    return QFileInfo(folder + QStringLiteral("/mtp1.png")).isFile() &&
           QFileInfo(folder + QStringLiteral("/mtp106.png")).isFile();
}

} // namespace

QString referencePictureFolder()
{
    for (const QString& f : {appFolder() + QStringLiteral("/img"), referenceFolder() + QStringLiteral("/img")})
        if (hasPictures(f))
            return f;
    return QString();
}

QString sampleFile()
{
    for (const QString& f :
         {appFolder() + QStringLiteral("/mt2test.pdf"), referenceFolder() + QStringLiteral("/mt2test.pdf")})
        if (QFileInfo(f).isFile())
            return f;
    return QString();
}

bool hasReferenceData()
{
    return !vitalsFile().isEmpty() && !referencePictureFolder().isEmpty() && !sampleFile().isEmpty();
}

bool makeReferenceData(const std::function<void(const QString&, bool)>& status)
{
    const QString ref = referenceFolder();
    const QString work = ref + QStringLiteral("/work");
    if (!QDir().mkpath(work) || !QDir().mkpath(ref + QStringLiteral("/img"))) {
        msgBox(QStringLiteral("Unable to create the reference folder ") + ref);
        return false;
    }
    if (status)
        status(QStringLiteral("Making the mtpro2 reference data"), false);

    if (vitalsFile().isEmpty() || referencePictureFolder().isEmpty()) {
        // Virtual fonts that reproduce mt2mitx and mt2mbt, measured and
        // pictured as a build of the companion fonts is.
        MtProject p;
        p.master = work;
        p.berry = QStringLiteral("mt2");
        p.onStatus = status;
        const QString scratch = makeScratchFolder(work);
        const QStringList mt = outputLines(runShell(kpsewhich() + QStringLiteral(" mt2mitx.tfm mt2mbt.tfm")));
        if (scratch.isEmpty() || mt.size() != 2) {
            msgBox(QStringLiteral("Unable to make the mtpro2 reference data: the mtpro2 fonts are not installed."));
            return false;
        }
        p.tmpfolder = scratch;
        const std::array<QString, 2> stems = {QStringLiteral("mt2mitx"), QStringLiteral("mt2mbt")};
        const std::array<const char*, 2> schemes = {kItalicScheme, kBoldScheme};
        for (int i = 0; i < 2; ++i) {
            const auto pl = propertyList(mt.at(i), scratch, stems[i]);
            if (!pl || !writeLatin1(scratch + '/' + stems[i] + QStringLiteral(".pl"),
                                    withCodingScheme(*pl, QLatin1String(schemes[i])))) {
                msgBox(QStringLiteral("tftopl wrote no property list for ") + mt.at(i));
                return false;
            }
        }
        const QString pkg = packageName(p.berry);
        const QString driver =
            QStringLiteral("\\input fontinst.sty\n\\installfonts\n"
                           "\\installfamily{LMP1}{%1}{\\skewchar\\font=45}\n"
                           "\\installfamily{U}{%1}{\\skewchar\\font=32}\n"
                           "\\installfont{%1mit}{mt2mitx}{mt2mi}{LMP1}{%1}{m}{it}{}\n"
                           "\\installfont{%1mbt}{mt2mbt}{mt2mb}{U}{%1}{b}{n}{}\n"
                           "\\endinstallfonts\n\\bye\n")
                .arg(pkg);
        if (!writeText(scratch + QStringLiteral("/fontinst.rc"), fontinstRc()) ||
            !writeText(scratch + QStringLiteral("/reference-drv.tex"), driver)) {
            msgBox(QStringLiteral("Unable to write into ") + scratch);
            return false;
        }
        runShell(QStringLiteral("cd ") + shellQuote(scratch) + QStringLiteral(" && ") + tex("tex") +
                 QStringLiteral(" reference-drv.tex && ") + tex("vptovf") + ' ' +
                 shellQuote(pkg + QStringLiteral("mit")) + QStringLiteral(" && ") + tex("vptovf") + ' ' +
                 shellQuote(pkg + QStringLiteral("mbt")));
        if (lastShell.errorCode != 0)
            return false;
        if (!p.makeMetrics() || !p.makeGlyphs())
            return false;
        for (int n = 1; n <= kGlyphCount; ++n) {
            const QString to = ref + QStringLiteral("/img/mtp") + QString::number(n) + QStringLiteral(".png");
            QFile::remove(to);
            if (!QFile::copy(work + QStringLiteral("/imgs/gl") + QString::number(n) + QStringLiteral(".png"), to)) {
                msgBox(QStringLiteral("Unable to write the reference picture ") + to);
                return false;
            }
        }
        const QString vitals = ref + QStringLiteral("/mt2vitals.txt");
        QFile::remove(vitals);
        if (!QFile::copy(work + QStringLiteral("/metrics"), vitals)) {
            msgBox(QStringLiteral("Unable to write ") + vitals);
            return false;
        }
    }

    if (sampleFile().isEmpty()) {
        const QString folder = work + QStringLiteral("/sample");
        QDir().mkpath(folder);
        if (!writeText(folder + QStringLiteral("/mt2test.tex"), sampleDocument(QStringLiteral("mtpro2"))) ||
            !typesetToPdf(folder, QStringLiteral("mt2test")))
            return false;
        if (!QFile::copy(folder + QStringLiteral("/mt2test.pdf"), ref + QStringLiteral("/mt2test.pdf"))) {
            msgBox(QStringLiteral("Unable to write ") + ref + QStringLiteral("/mt2test.pdf"));
            return false;
        }
    }
    if (status)
        status(QStringLiteral("---Finished"), true);
    return true;
}

} // namespace qlk::mt
