#include "MtKit.h"

#include "platform/Process.h"
#include "platform/Quote.h"
#include "texenv/TexEnv.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace qlk::test {

namespace {

const char* const kStandInSty =
    "%% This is file `mtpro2.sty', a stand-in for the tests\n"
    "\\NeedsTeXFormat{LaTeX2e}\n"
    "\\ProvidesPackage{mtpro2}[2006/01/01 v0 stand-in]\n"
    "\\DeclareOption{lite}{}\n"
    "\\ProcessOptions\\relax\n"
    "\\DeclareFontEncoding{LMP1}{}{}\n"
    "\\DeclareFontSubstitution{LMP1}{mtt}{m}{it}\n"
    "\\DeclareFontFamily{LMP1}{mtt}{\\skewchar\\font=45}\n"
    "\\DeclareFontShape{LMP1}{mtt}{m}{it}{<-> mt2mitx}{}\n"
    "\\DeclareFontShape{LMP1}{mtt}{b}{it}{<-> mt2mitx}{}\n"
    "\\DeclareFontFamily{U}{mtt}{\\skewchar\\font=32}\n"
    "\\DeclareFontShape{U}{mtt}{b}{n}{<-> mt2mbt}{}\n"
    "\\DeclareSymbolFont{letters}{LMP1}{mtt}{m}{it}\n"
    "% moved below the next two lines\n"
    "\\DeclareRobustCommand\\imath{\\mathchar\"7B}\n"
    "\\DeclareRobustCommand\\jmath{\\mathchar\"7C}\n"
    "% moved as well\n"
    "\\SetSymbolFont{letters}{bold}{LMP1}{mtt}{b}{it}\n"
    "\\DeclareMathAlphabet{\\mathbold}{U}{mtt}{b}{n}\n"
    "\\endinput\n";

bool copyTree(const QString& from, const QString& to)
{
    QDir src(from);
    if (!src.exists())
        return false;
    QDir().mkpath(to);
    for (const QFileInfo& e : src.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        const QString target = to + '/' + e.fileName();
        if (e.isDir()) {
            if (!copyTree(e.filePath(), target))
                return false;
        } else {
            QFile::remove(target);
            if (!QFile::copy(e.filePath(), target))
                return false;
        }
    }
    return true;
}

} // namespace

MtTrees::MtTrees(const TestEnv& env)
{
    texmfHome = env.texmfHome();
    texmfVar = env.texmfVar();
    texmfConfig = env.texmfConfig();
    texmfLocal = env.texmfLocal();
    texmfDist = QStringLiteral("/usr/share/texlive/texmf-dist");
    texmfSysVar = env.root() + QStringLiteral("/no-sysvar");
    texmfSysConfig = env.root() + QStringLiteral("/no-sysconfig");
    mapRoot = env.texmfVar() + QStringLiteral("/fonts/map/");
}

QString builtAppFolder()
{
    return QStringLiteral(QLK_APP_DIR);
}

bool runIn(const QString& folder, const QString& command, QString* output)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.setStandardInputFile(QProcess::nullDevice());
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("/bin/bash"), {QStringLiteral("-c"), command});
    if (!p.waitForFinished(120000))
        return false;
    if (output)
        *output = QString::fromUtf8(p.readAll());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool installStandInKit(const TestEnv& env)
{
    const QString home = env.texmfHome();
    const QString tfm = home + QStringLiteral("/fonts/tfm/public/mtpro2");
    QDir().mkpath(tfm);
    const QString cmmi = texFile(QStringLiteral("cmmi10.tfm"));
    const QString cmbx = texFile(QStringLiteral("cmbx10.tfm"));
    if (cmmi.isEmpty() || cmbx.isEmpty() || !QFile::copy(cmmi, tfm + QStringLiteral("/mt2mitx.tfm")) ||
        !QFile::copy(cmbx, tfm + QStringLiteral("/mt2mbt.tfm")))
        return false;
    const QDir root(env.root());
    env.writeFile(root.relativeFilePath(home + QStringLiteral("/fonts/map/dvips/mtpro2/mtpro2.map")),
                  "mt2mitx CMMI10 <cmmi10.pfb\nmt2mbt CMBX10 <cmbx10.pfb\n");
    env.writeFile(root.relativeFilePath(home + QStringLiteral("/tex/latex/mtpro2/mtpro2.sty")), kStandInSty);
    if (!copyTree(builtAppFolder() + QStringLiteral("/TDS"), home))
        return false;
    return runIn(env.root(), QStringLiteral("updmap-user --enable Map=mtpro2.map >/dev/null 2>&1"));
}

} // namespace qlk::test
