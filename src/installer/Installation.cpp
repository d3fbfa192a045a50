#include "installer/Installation.h"

#include "installer/CommandRunner.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Quote.h"
#include "platform/QuitPath.h"
#include "texenv/TexEnv.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace qlk::installer {

namespace {

const QString kProgram = QStringLiteral("Quillmark2013");
const QString kLogName = QStringLiteral("QLKInstall.txt");

// The installation log: one line per entry, appended, never rewritten.
class InstallLog {
public:
    bool open(const QString& path)
    {
        file_.setFileName(path);
        return file_.open(QIODevice::WriteOnly | QIODevice::Append);
    }
    void write(const QString& line)
    {
        if (file_.isOpen()) {
            file_.write(line.toUtf8() + '\n');
            file_.flush();
        }
    }
    void close() { file_.close(); }

private:
    QFile file_;
};

// Creates one folder (its parent must exist); 0 or the system's error code.
int makeFolder(const QString& path)
{
    if (::mkdir(QFile::encodeName(path).constData(), 0755) == 0)
        return 0;
    return errno != 0 ? errno : -1;
}

// Creates a folder and any missing parents; 0 or the system's error code.
int makeFolderPath(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return 0;
    const QString parent = info.absolutePath();
    if (parent != path && !QFileInfo(parent).exists()) {
        const int code = makeFolderPath(parent);
        if (code != 0)
            return code;
    }
    return makeFolder(path);
}

// Copies one file to `target` through a temporary name beside it, renamed
// over the old file at the end, so a failed copy leaves the old one whole.
// 0 or an error code (QFile's, or the system's for the rename).
int replaceFile(const QString& source, const QString& target)
{
    if (!QFileInfo(source).isFile())
        return int(QFileDevice::OpenError);
    const QString temp = QFileInfo(target).absolutePath() + QStringLiteral("/.") +
                         QFileInfo(target).fileName() + QStringLiteral(".new");
    if (QFileInfo::exists(temp) || QFileInfo(temp).isSymLink()) {
        if (QFileInfo(temp).isDir() || !QFile::remove(temp))
            return int(QFileDevice::RemoveError);
    }
    QFile in(source);
    if (!in.copy(temp)) {
        const int code = int(in.error());
        QFile::remove(temp);
        return code != 0 ? code : int(QFileDevice::CopyError);
    }
    QFile::setPermissions(temp, in.permissions());
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) != 0) {
        const int code = errno;
        QFile::remove(temp);
        return code != 0 ? code : -1;
    }
    return 0;
}

// Copies a folder's whole content (hidden files and links as links) to a
// fresh folder `target`; false on the first failure.
bool copyTree(const QString& source, const QString& target)
{
    if (makeFolderPath(target) != 0)
        return false;
    QDirIterator it(source, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir from(source);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        const QString dest = target + QLatin1Char('/') + from.relativeFilePath(path);
        if (info.isSymLink()) {
            if (!QFile::link(info.symLinkTarget(), dest))
                return false;
        } else if (info.isDir()) {
            if (makeFolderPath(dest) != 0)
                return false;
        } else {
            if (!QFile::copy(path, dest))
                return false;
            QFile::setPermissions(dest, info.permissions());
        }
    }
    return true;
}

bool removeTree(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    if (info.isDir() && !info.isSymLink())
        return QDir(path).removeRecursively();
    return QFile::remove(path);
}

// Replaces the folder `target` by a copy of `source`: the copy is made
// beside it first, so a failure leaves the old folder in place.
bool replaceTree(const QString& source, const QString& target)
{
    const QString temp = QFileInfo(target).absolutePath() + QStringLiteral("/.") +
                         QFileInfo(target).fileName() + QStringLiteral(".new");
    if (!removeTree(temp))
        return false;
    if (!copyTree(source, temp)) {
        removeTree(temp);
        return false;
    }
    if (!removeTree(target))
        return false;
    return QDir().rename(temp, target);
}

QString firstLine(const QStringList& lines)
{
    return lines.isEmpty() ? QString() : lines.first();
}

// The year in the first line of `tex --version` ("TeX 3.141592653 (TeX Live 2022/Debian)").
int yearFromVersion(const QString& text)
{
    const QString first = text.section(QLatin1Char('\n'), 0, 0);
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("TeX Live (\\d{4})")).match(first);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

class Installation {
public:
    explicit Installation(const InstallSetup& s) : s_(s) {}
    InstallOutcome run();

private:
    // The five ways a fatal step ends the installer.
    InstallOutcome messageOnly(const QString& text)
    {
        msgBox(text);
        return quit();
    }
    InstallOutcome logFirst(const QString& text)
    {
        log_.write(text);
        log_.close();
        msgBox(text);
        return quit();
    }
    InstallOutcome messageFirst(const QString& text)
    {
        msgBox(text);
        log_.write(text);
        log_.close();
        return quit();
    }
    InstallOutcome failedLine(const QString& text)
    {
        msgBox(text);
        log_.write(QStringLiteral("Failed"));
        log_.close();
        return quit();
    }
    InstallOutcome silent(const QString& text)
    {
        log_.write(text);
        log_.close();
        return quit();
    }
    InstallOutcome quit()
    {
        requestQuit();
        return InstallOutcome::Stopped;
    }

    bool writable(const QString& path) const
    {
        return s_.isWritable ? s_.isWritable(path) : QFileInfo(path).isWritable();
    }
    bool ensureFolder(const QString& path, const QString& logText, const QString& errorText,
                      InstallOutcome* stop);
    void copyPictures();
    bool copySupportFiles(InstallOutcome* stop);
    void copyProgram();
    void writeDesktopEntry();
    void mergeTds(const QString& target);

    const InstallSetup& s_;
    InstallLog log_;
    QString prefix_;
    QString tree_;
};

bool Installation::ensureFolder(const QString& path, const QString& logText, const QString& errorText,
                                InstallOutcome* stop)
{
    if (QFileInfo::exists(path))
        return true;
    const int code = makeFolder(path);
    log_.write(logText);
    if (code != 0) {
        *stop = failedLine(errorText + QString::number(code));
        return false;
    }
    return true;
}

void Installation::copyPictures()
{
    const QString img = prefix_ + QStringLiteral("/img");
    QStringList lines = runCommandLines(QStringLiteral("/bin/rm -Rf ") + shellQuote(img));
    if (!lines.isEmpty())
        log_.write(QStringLiteral("Error deleting ") + img + QStringLiteral(" :") + firstLine(lines));
    lines = runCommandLines(QStringLiteral("/bin/mkdir -p ") + shellQuote(img));
    if (!lines.isEmpty())
        log_.write(QStringLiteral("Error creating ") + img + QStringLiteral(" :") + firstLine(lines));

    const QString source = s_.sourceFolder + QStringLiteral("/img");
    if (!QFileInfo(source).isDir()) {
        log_.write(QStringLiteral("Error copyng img folder to ") + img + QStringLiteral(" :") +
                   QStringLiteral("no img folder in ") + s_.sourceFolder);
        return;
    }
    // The pictures lie at the folder's top level; each is named, so an empty
    // folder copies nothing rather than a literal "*".
    QStringList names = QDir(source).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    if (names.isEmpty())
        return;
    QString command = QStringLiteral("cd ") + shellQuote(source) + QStringLiteral(" && /bin/cp -p --");
    for (const QString& n : names)
        command += QLatin1Char(' ') + shellQuote(QStringLiteral("./") + n);
    command += QLatin1Char(' ') + shellQuote(img);
    lines = runCommandLines(command);
    if (!lines.isEmpty())
        log_.write(QStringLiteral("Error copyng img folder to ") + img + QStringLiteral(" :") + firstLine(lines));
}

bool Installation::copySupportFiles(InstallOutcome* stop)
{
    // The listed files first, in their order; then whatever other files the
    // build lays beside the program (the pieces the tools read from there).
    QStringList names = supportFiles();
    const QStringList skip{kProgram, QStringLiteral("QLKInstaller"), kLogName};
    for (const QString& n : QDir(s_.sourceFolder).entryList(QDir::Files, QDir::Name)) {
        if (!names.contains(n) && !skip.contains(n))
            names << n;
    }
    for (const QString& name : names) {
        const QString source = s_.sourceFolder + QLatin1Char('/') + name;
        if (!QFileInfo::exists(source)) {
            log_.write(name + QStringLiteral(" is not part of this build"));
            continue;
        }
        const int code = replaceFile(source, prefix_ + QLatin1Char('/') + name);
        if (code != 0) {
            *stop = messageFirst(QStringLiteral("Error copying ") + name + QStringLiteral(" to ") + prefix_ +
                                 QStringLiteral(": errorcode=") + QString::number(code));
            return false;
        }
        log_.write(QStringLiteral("Copied ") + name + QStringLiteral(" to ") + prefix_ + QLatin1Char('/'));
    }
    return true;
}

void Installation::copyProgram()
{
    const QString target = prefix_ + QLatin1Char('/') + kProgram;
    const bool hadOne = QFileInfo::exists(target);
    int code = replaceFile(s_.sourceFolder + QLatin1Char('/') + kProgram, target);
    if (code == 0) {
        const QString resources = s_.sourceFolder + QStringLiteral("/Resources");
        if (QFileInfo(resources).isDir() && !replaceTree(resources, prefix_ + QStringLiteral("/Resources")))
            code = int(QFileDevice::CopyError);
    }
    if (code != 0) {
        const QString text = QStringLiteral("Error copying ") + kProgram + QStringLiteral(" to ") + prefix_ +
                             QStringLiteral(": errorcode=") + QString::number(code);
        msgBox(text);
        log_.write(text);
        return;
    }
    if (hadOne)
        log_.write(QStringLiteral("Deleted ") + target);
    log_.write(QStringLiteral("Copied ") + kProgram + QStringLiteral(" to ") + prefix_ + QLatin1Char('/'));
    writeDesktopEntry();
}

void Installation::writeDesktopEntry()
{
    if (s_.applicationsFolder.isEmpty())
        return;
    const QString path = s_.applicationsFolder + QStringLiteral("/Quillmark2013.desktop");
    QSaveFile file(path);
    if (makeFolderPath(s_.applicationsFolder) != 0 || !file.open(QIODevice::WriteOnly) ||
        file.write(desktopEntry(prefix_ + QLatin1Char('/') + kProgram).toUtf8()) < 0 || !file.commit()) {
        log_.write(QStringLiteral("Error writing ") + path);
        return;
    }
    log_.write(QStringLiteral("Copied Quillmark2013.desktop to ") + s_.applicationsFolder + QLatin1Char('/'));
}

void Installation::mergeTds(const QString& target)
{
    const QString source = s_.sourceFolder + QStringLiteral("/TDS");
    // Without the source folder a copy of "*" would take whatever lies in
    // the folder the shell starts in.
    bool failed = !QFileInfo(source).isDir();
    if (!failed) {
        const QStringList lines = runCommandLines(QStringLiteral("/bin/cp -rf -- ") +
                                                  shellQuote(source + QStringLiteral("/.")) + QLatin1Char(' ') +
                                                  shellQuote(target));
        failed = !lines.isEmpty();
    }
    if (failed) {
        msgBox(QStringLiteral("Error copying TDS folder to TEXMFHOME"));
        log_.write(QStringLiteral("Error copying TDS folder to TEXMFHOME"));
    } else {
        log_.write(QStringLiteral("Copied TDS folder to TEXMFHOME"));
    }
}

InstallOutcome Installation::run()
{
    prefix_ = QDir::cleanPath(s_.prefix);
    tree_ = QDir::cleanPath(s_.personalTree);
    const QDateTime started = s_.clock ? s_.clock() : QDateTime::currentDateTime();

    // 1. The application folder, refused when it could be someone else's.
    const QString problem = prefixProblem(prefix_, tree_, s_.texTrees);
    if (!problem.isEmpty())
        return messageOnly(problem);
    if (!QFileInfo::exists(prefix_)) {
        const int code = makeFolderPath(prefix_);
        if (code != 0)
            return messageOnly(QStringLiteral("Error creating ") + prefix_ + QStringLiteral(": ") +
                               QString::number(code));
    }
    // 2. Its TDS folder.
    if (!QFileInfo::exists(prefix_ + QStringLiteral("/TDS")))
        makeFolder(prefix_ + QStringLiteral("/TDS"));
    // 3. The log.
    if (!log_.open(prefix_ + QLatin1Char('/') + kLogName))
        return messageOnly(QStringLiteral("Cannot open the installation log ") + prefix_ + QLatin1Char('/') +
                           kLogName + QStringLiteral(". Nothing was installed."));
    log_.write(QString());
    log_.write(QStringLiteral("Starting new installer run at ") +
               started.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));

    // 5–6. A TeX Live of 2013 or later.
    if (!QFileInfo(texProgram(QStringLiteral("kpsewhich"))).isExecutable())
        return logFirst(QStringLiteral("You must install a recent version of TeX Live before proceeding"));
    const int year = texLiveYear();
    if (year < 2013)
        return messageFirst(QStringLiteral("TeX Live 2013 or later must be installed before proceeding"));
    log_.write(QStringLiteral("Most recent TeXLive year appears to be ") + QString::number(year));

    // 7–8. The personal tree.
    const QFileInfo treeInfo(tree_);
    if (treeInfo.exists() && treeInfo.isDir() && !writable(tree_))
        return silent(QStringLiteral("Folder ") + tree_ +
                      QStringLiteral(" is not writeable. Correct this and re-run the installer."));
    if (!treeInfo.exists()) {
        const int code = makeFolderPath(tree_);
        log_.write(QStringLiteral("Trying to create ") + tree_);
        if (code != 0)
            return failedLine(QStringLiteral("Error creating texmf:") + QString::number(code));
    }
    // 9. Folders readable by all, files executable only where they were.
    runCommandLines(QStringLiteral("/bin/chmod -R u+rwX,go+rX ") + shellQuote(tree_));

    // 10–12. The folders the program installs into.
    InstallOutcome stop = InstallOutcome::Stopped;
    for (const char* name : {"tex", "web2c", "dvips", "fonts"}) {
        const QString path = tree_ + QLatin1Char('/') + QLatin1String(name);
        if (!ensureFolder(path, QStringLiteral("Trying to create ") + path,
                          QStringLiteral("Error creating ") + path + QStringLiteral(": "), &stop))
            return stop;
    }
    for (const char* name : {"latex", "fontinst"}) {
        const QString path = tree_ + QStringLiteral("/tex/") + QLatin1String(name);
        if (!ensureFolder(path, QStringLiteral("Trying to create ") + path,
                          QStringLiteral("Error creating ") + path + QStringLiteral(": "), &stop))
            return stop;
    }
    for (const char* name : {"latex", "fontinst"}) {
        const QString path = tree_ + QStringLiteral("/tex/") + QLatin1String(name) + QStringLiteral("/quillmark2013");
        if (!ensureFolder(path, QStringLiteral("Trying to create ") + path,
                          QStringLiteral("Error creating ") + path + QStringLiteral(": "), &stop))
            return stop;
    }

    // 13–17. Pictures, support files, the program, the TeX files.
    copyPictures();
    if (!copySupportFiles(&stop))
        return stop;
    copyProgram();
    mergeTds(tree_);
    mergeTds(prefix_ + QStringLiteral("/TDS"));

    // 18–19.
    log_.close();
    msgBox(QStringLiteral("Installation finished! The log file will show what was installed."));
    openWithDefault(prefix_ + QLatin1Char('/') + kLogName);
    return InstallOutcome::Finished;
}

} // namespace

const QStringList& supportFiles()
{
    static const QStringList names{
        QStringLiteral("README.txt"),     QStringLiteral("otfinst.py"),    QStringLiteral("TeXFonts.db"),
        QStringLiteral("Exceptions.txt"), QStringLiteral("lmodernzuv.pdf"), QStringLiteral("mt2test.pdf"),
        QStringLiteral("mt2vitals.txt"),  QStringLiteral("Quillmark2013.pdf"), QStringLiteral("tl2013.pdf"),
        // Read by the math tools from the program's folder.
        QStringLiteral("qlkheader.mtx"),  QStringLiteral("mt2testfileMA.tex"), QStringLiteral("eps2png")};
    return names;
}

InstallOutcome runInstallation(const InstallSetup& setup)
{
    Installation installation(setup);
    try {
        return installation.run();
    } catch (const InstallerStopped&) {
        // The runner has shown its message and asked to quit.
        return InstallOutcome::Stopped;
    }
}

QString prefixProblem(const QString& prefix, const QString& personalTree, const QStringList& texTrees)
{
    const QString p = QDir::cleanPath(prefix);
    const QString refused = QStringLiteral("Quillmark2013 cannot be installed into ") + p + QStringLiteral(": ");
    if (!QDir::isAbsolutePath(p))
        return refused + QStringLiteral("the folder must be given by its full path.");
    if (p == QLatin1String("/") || p == QDir::cleanPath(homeFolder()) ||
        QFileInfo(p).fileName() != QLatin1String("Quillmark2013"))
        return refused + QStringLiteral("the folder must be one named Quillmark2013.");
    QStringList trees = texTrees;
    trees << personalTree;
    for (const QString& t : trees) {
        if (!t.isEmpty() && (pathInTree(p, t) || pathInTree(t, p)))
            return refused + QStringLiteral("it lies in the TeX tree ") + t + QLatin1Char('.');
    }
    const QFileInfo info(p);
    if (info.exists()) {
        if (!info.isDir())
            return refused + QStringLiteral("a file of that name is in the way.");
        const QStringList entries = QDir(p).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        if (!entries.isEmpty() && !entries.contains(QStringLiteral("QLKInstall.txt")))
            return refused + QStringLiteral("the folder holds files that no earlier installation put there.");
    }
    return QString();
}

int texLiveYear()
{
    const ProcessResult where = runProgram(texProgram(QStringLiteral("kpsewhich")),
                                           {QStringLiteral("-var-value=SELFAUTOPARENT")});
    const QString last = QFileInfo(where.output.trimmed()).fileName();
    if (where.exitCode == 0 && QRegularExpression(QStringLiteral("^\\d{4}$")).match(last).hasMatch())
        return last.toInt();
    const ProcessResult version = runProgram(texProgram(QStringLiteral("tex")), {QStringLiteral("--version")});
    if (version.exitCode != 0)
        return 0;
    return yearFromVersion(version.output);
}

QString defaultPrefix()
{
    if (::geteuid() == 0)
        return QStringLiteral("/opt/Quillmark2013");
    return homeFolder() + QStringLiteral("/.local/share/Quillmark2013");
}

QString defaultPersonalTree()
{
    const ProcessResult r = runProgram(texProgram(QStringLiteral("kpsewhich")), {QStringLiteral("-var-value=TEXMFHOME")});
    const QString tree = r.output.trimmed();
    if (r.exitCode == 0 && QDir::isAbsolutePath(tree))
        return QDir::cleanPath(tree);
    return homeFolder() + QStringLiteral("/texmf");
}

QStringList defaultTexTrees()
{
    QStringList trees;
    for (const char* var : {"TEXMFDIST", "TEXMFMAIN", "TEXMFLOCAL", "TEXMFSYSVAR", "TEXMFSYSCONFIG", "TEXMFVAR",
                            "TEXMFCONFIG"}) {
        const ProcessResult r = runProgram(texProgram(QStringLiteral("kpsewhich")),
                                           {QStringLiteral("-var-value=") + QLatin1String(var)});
        const QString tree = r.output.trimmed();
        if (r.exitCode == 0 && QDir::isAbsolutePath(tree))
            trees << QDir::cleanPath(tree);
    }
    return trees;
}

QString defaultApplicationsFolder()
{
    if (::geteuid() == 0)
        return QStringLiteral("/usr/share/applications");
    return homeFolder() + QStringLiteral("/.local/share/applications");
}

QString desktopEntry(const QString& program)
{
    // Exec takes a quoted argument with ", `, $ and \ escaped.
    QString exec = program;
    exec.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    for (const char* c : {"\"", "`", "$"})
        exec.replace(QLatin1String(c), QStringLiteral("\\") + QLatin1String(c));
    exec.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Quillmark2013\n"
                          "Comment=Install, inspect and repair fonts for TeX Live\n"
                          "Exec=\"%1\"\n"
                          "Terminal=false\n"
                          "Categories=Office;Publishing;\n")
        .arg(exec);
}

} // namespace qlk::installer
