#include "tracesty/TraceSty.h"

#include "fontinfo/PackageTest.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "prefs/PrefsStore.h"
#include "services/Runners.h"
#include "texenv/TexEnv.h"
#include "textview/TextWindow.h"
#include "tracesty/CustomInput.h"
#include "ui/SingleWindow.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

namespace qlk {

namespace {
const char* const kDefaultCommands = "\\usepackage[sc,slantedGreek]{mathpazo}";
const char* const kDefaultTemp = "0000temp";

void keepDrawing()
{
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// "--" keeps a typed name that begins with "-" from being read as an option.
QString kpsewhich(const QString& name)
{
    return runShellQuiet(shellQuote(texProgram(QStringLiteral("kpsewhich"))) + QStringLiteral(" -- ") +
                         shellQuote(name));
}

// The package check matches names exactly, as the hint about letter case
// expects; kpathsea would otherwise fall back to any case.
QString kpsewhichExact(const QString& name)
{
    return runShellQuiet(QStringLiteral("texmf_casefold_search=0 ") + shellQuote(texProgram(QStringLiteral("kpsewhich"))) +
                         QStringLiteral(" -- ") + shellQuote(name));
}

// The home folder and every tree of the TeX search path, once each.
QStringList homeAndTrees()
{
    QStringList roots{homeFolder()};
    for (QString tree : texmfTrees) {
        tree.remove(QStringLiteral("!!"));
        if (!tree.isEmpty() && !roots.contains(tree))
            roots << tree;
    }
    return roots;
}

// The folder that holds TEXMFVAR (the user's own TeX Live folder), when it exists.
QStringList texmfVarParent()
{
    const QString parent = QFileInfo(texmfVar).path();
    if (texmfVar.isEmpty() || !QFileInfo(parent).isDir())
        return {};
    return {parent};
}

QStringList unique(QStringList list)
{
    list.removeDuplicates();
    return list;
}
} // namespace

TraceSty* TraceSty::instance()
{
    return singleWindow<TraceSty>();
}

TraceSty::TraceSty()
{
    setWindowTitle(QStringLiteral("Trace .sty"));
    setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setMinimumSize(64, 64);
    setMaximumSize(32000, 32000);
    resize(692, 496);

    StaticText3 = new QLabel(QStringLiteral("Font commands:->"), this);
    TextArea2 = new QPlainTextEdit(this);
    TextArea2->setToolTip(QStringLiteral("Eg, \\usepackage[os]{mathpazo}"));
    GroupBox1 = new QGroupBox(this);
    const char* families[] = {"Roman", "Sans Serif", "Typewriter"};
    for (int i = 0; i < 3; ++i) {
        RadioButton1[i] = new QRadioButton(QString::fromLatin1(families[i]), GroupBox1);
        RadioButton1[i]->setGeometry(7, 5 + i * 22, 92, 20);
    }
    CheckBox1 = new QCheckBox(QStringLiteral("Track all font shapes"), this);
    PushButton3 = new QPushButton(QStringLiteral("Sample"), this);
    PushButton3->setEnabled(false);
    StaticText1 = new QLabel(QStringLiteral("Trace math alphabet"), this);
    PopupMenu1 = new QComboBox(this);
    TextArea1 = new QPlainTextEdit(this);
    PushButton2 = new QPushButton(QStringLiteral("Search for problem file"), this);
    PushButton2->setVisible(false);
    StaticText2 = new QLabel(QStringLiteral("Temp files (optional)"), this);
    TextField2 = new QLineEdit(this);
    PushButton1 = new QPushButton(QStringLiteral("Go"), this);
    PushButton1->setDefault(true);

    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });
    connect(TextField2, &QLineEdit::returnPressed, this, [this] { PushButton1_Action(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Action(); });
    connect(PushButton3, &QPushButton::clicked, this, [this] { PushButton3_Action(); });
    // Edited commands no longer match the trace the sample would use.
    connect(TextArea2, &QPlainTextEdit::textChanged, this, [this] { PushButton3->setEnabled(false); });

    setTabOrder(TextArea2, RadioButton1[0]);
    setTabOrder(RadioButton1[0], CheckBox1);
    setTabOrder(CheckBox1, PushButton3);
    setTabOrder(PushButton3, PopupMenu1);
    setTabOrder(PopupMenu1, TextArea1);
    setTabOrder(TextArea1, PushButton2);
    setTabOrder(PushButton2, TextField2);
    setTabOrder(TextField2, PushButton1);

    Event_Open();
}

void TraceSty::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // Positions keep their distance to the edges the layout anchors them to.
    const int w = width();
    const int h = height();
    const int dx = w - 692;
    const int dy = h - 496;
    StaticText3->setGeometry(12, 9, 127, 20);
    TextArea2->setGeometry(144, 9, 520 + dx, 79);
    GroupBox1->setGeometry(12, 35, 109, 75);
    CheckBox1->setGeometry(142, 96, 156, 20);
    PushButton3->setGeometry(309, 96, 80, 20);
    StaticText1->setGeometry(401 + dx, 96, 134, 20);
    PopupMenu1->setGeometry(538 + dx, 97, 142, 20);
    TextArea1->setGeometry(12, 125, 668 + dx, 338 + dy);
    PushButton2->setGeometry(12, 469 + dy, 173, 20);
    StaticText2->setGeometry(222 + dx, 470 + dy, 132, 20);
    TextField2->setGeometry(366 + dx, 468 + dy, 220, 22);
    PushButton1->setGeometry(592 + dx, 469 + dy, 80, 20);
}

void TraceSty::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Event_Activate();
}

void TraceSty::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Event_Activate();
}

void TraceSty::Event_Open()
{
    mathalpha = mathAlphaRows();
}

void TraceSty::Event_Activate()
{
    if (activated)
        return;
    activated = true;
    tempname = haspref(QStringLiteral("temp")) ? prefText(QStringLiteral("temp")) : QString::fromLatin1(kDefaultTemp);
    TextField2->setText(tempname);
    RadioButton1[0]->setChecked(true);
    QString commands = haspref(QStringLiteral("fontsty")) ? prefText(QStringLiteral("fontsty")) : QString();
    if (commands.isEmpty())
        commands = QString::fromLatin1(kDefaultCommands);
    TextArea2->setPlainText(commands);
    PopupMenu1->clear();
    PopupMenu1->addItems(mathalpha);
    PopupMenu1->setCurrentIndex(0);
}

void TraceSty::PushButton1_Action()
{
    go();
}

void TraceSty::PushButton2_Action()
{
    if (problemFiles.isEmpty())
        return;
    const QStringList names = problemFiles.split(tab);
    QStringList results;
    for (const QString& name : names) {
        QStringList hits = findFilesByName(homeAndTrees(), name);
        if (hits.isEmpty())
            hits = findFilesByName(texmfVarParent(), name);
        if (hits.isEmpty() && name.right(4).compare(QLatin1String(".pfb"), Qt::CaseInsensitive) == 0)
            hits = findFilesByName(homeAndTrees(), QLatin1Char('*') + name + QLatin1Char('*'));
        if (!hits.isEmpty())
            results << unique(hits).join(lf);
        keepDrawing();
    }
    if (results.isEmpty()) {
        msgBox(QStringLiteral("No files found: ") + names.join(QStringLiteral(", ")));
        return;
    }
    showResults(results.join(lf));
    TextWindow::instance()->setWindowTitle(QStringLiteral("Search results for ") + names.join(QStringLiteral(", ")));
}

void TraceSty::PushButton3_Action()
{
    if (MainRmDefault.size() < 3 || MainEncDefault.isEmpty()) {
        msgBox(QStringLiteral("Cannot process sample--- unknown encoding or rmdeault"));
        return;
    }
    const QString enc = MainEncDefault.toLower();
    const int code = QStringList{QStringLiteral("ot1"), QStringLiteral("t1"), QStringLiteral("ly1")}.indexOf(enc);
    if (code < 0) {
        msgBox(QStringLiteral("Unknown encoding: ") + enc);
        return;
    }
    QString lines = TextArea2->toPlainText().trimmed();
    lines.replace(lf, cr);
    testPackage(MainRmDefault.left(3), QLatin1Char('.') + lines, QString(), code, false);
}

void TraceSty::go()
{
    MainRmDefault.clear();
    MainEncDefault.clear();
    PushButton3->setEnabled(false);
    PushButton2->setVisible(false);
    TextArea1->clear();
    update();
    rmdefault.clear();

    const QString commands = TextArea2->toPlainText();
    QStringList names;
    if (commands.isEmpty()) {
        msgBox(packageNames(commands, &names));
        return;
    }
    QString stored = commands;
    stored.replace(cr, lf);
    setpref(QStringLiteral("fontsty"), stored);
    saveprefs();
    const QString problem = packageNames(commands, &names);
    if (!problem.isEmpty()) {
        msgBox(problem);
        return;
    }

    QString temp = TextField2->text().trimmed();
    if (temp.isEmpty())
        temp = QString::fromLatin1(kDefaultTemp);
    const QString badTemp = tempNameProblem(temp);
    if (!badTemp.isEmpty()) {
        msgBox(badTemp);
        return;
    }
    if (temp.compare(tempname, Qt::CaseInsensitive) != 0) {
        setpref(QStringLiteral("temp"), temp);
        saveprefs();
        tempname = temp;
    }
    tempf = QDir(documentsFolder()).filePath(tempname);
    const QFileInfo info(tempf);
    if (info.exists() && !info.isDir()) {
        msgBox(QStringLiteral("The file ") + tempname +
               QStringLiteral(" in your Documents folder should be a folder, not a file. Please delete it or enter "
                              "a new temp folder name."));
        return;
    }
    if (!info.exists() && !QDir().mkpath(tempf)) {
        msgBox(QStringLiteral("Cannot make the folder ") + tempname + QStringLiteral(" in your Documents folder."));
        return;
    }

    for (const QString& name : names) {
        if (!kpsewhichExact(name + QStringLiteral(".sty")).isEmpty())
            continue;
        const QString sty = name + QStringLiteral(".sty");
        QStringList hits = findFilesByName({texmfLocal, texmfDist, texmfHome}, sty);
        hits << findFilesByName(texmfVarParent(), sty);
        hits = unique(hits);
        if (!hits.isEmpty()) {
            QStringList candidates;
            for (const QString& path : hits) {
                const QString file = path.section(QLatin1Char('/'), -1);
                candidates << file.left(file.size() - 4);
            }
            msgBox(QStringLiteral("The sty name search is case sensitive. The following might be what you are "
                                  "seeking.") +
                   lf + candidates.join(lf));
            return;
        }
        const QStringList elsewhere = unique(findFilesByName(homeAndTrees(), sty));
        TextArea1->setPlainText(elsewhere.join(lf));
        QString message = QStringLiteral("The .sty file ") + sty +
                          QStringLiteral(" was not found in an area accessible to LaTeX.");
        if (!elsewhere.isEmpty())
            message += lf + QStringLiteral("Other copies were found on your disk---you may need to install them.");
        msgBox(message);
        return;
    }
    parsesty(names);
}

void TraceSty::parsesty(const QStringList& names)
{
    Q_UNUSED(names); // the documents carry the whole text of the commands
    TraceState st;
    const int row = PopupMenu1->currentIndex();
    int last = row > 0 ? 4 : 3;
    if (row == 1) {
        QPointer<CustomInput> dialog(CustomInput::instance());
        dialogs().runModal(dialog);
        // Every question starts with an empty field.
        delete dialog.data();
        if (custom.isEmpty())
            last = 3;
    }

    const QDir temp(tempf);
    for (int i = 0; i <= last; ++i) {
        beginPass(st);
        rmdefault.clear();
        sfdefault.clear();
        ttdefault.clear();
        encdefault.clear();
        const QString base = QStringLiteral("min") + QString::number(i);
        TrialChoices choices;
        choices.commands = TextArea2->toPlainText();
        choices.mainFamily = RadioButton1[0]->isChecked() ? 0 : RadioButton1[1]->isChecked() ? 1 : 2;
        choices.trackShapes = CheckBox1->isChecked();
        if (i == 4)
            choices.mathObject = row == 1 ? custom : mathalpha.value(row) + QStringLiteral("{A}");
        // A pass whose encoding pass 0 found already keeps only the document's head.
        const bool skipped = skipsPass(i, st.mainEncoding);
        QString text = trialDocument(i, choices);
        if (skipped)
            text = text.left(text.indexOf(fontencLine(i)));
        QFile doc(temp.filePath(base + QStringLiteral(".tex")));
        if (!doc.open(QIODevice::WriteOnly | QIODevice::Truncate) || doc.write(text.toUtf8()) < 0 || !doc.flush()) {
            msgBox(QStringLiteral("Cannot write the trial document ") + doc.fileName() +
                   QStringLiteral("; the trace stops here."));
            break;
        }
        doc.close();
        if (skipped)
            continue;
        // Debian's TeX Live ships no LY1 encoding: its pass could only end in
        // fontenc's error, which says nothing about the package.
        if (fontencLine(i).contains(QLatin1String("[LY1]")) && kpsewhich(QStringLiteral("ly1enc.def")).isEmpty()) {
            st.report << QStringLiteral("Encoding LY1 is not installed here (no ly1enc.def): its check is skipped.");
            continue;
        }

        // A log of an earlier trace must never pass for this run's.
        const QString logPath = temp.filePath(base + QStringLiteral(".log"));
        QFile::remove(logPath);
        QString command = QStringLiteral("cd ") + shellQuote(tempf) + QStringLiteral(" && ") +
                          shellQuote(texProgram(QStringLiteral("pdflatex")));
        if (i == 4)
            command += QStringLiteral(" -interaction=nonstopmode");
        runShellQuiet(command + QLatin1Char(' ') + base);
        const int exitStatus = lastShell.errorCode;

        QFile log(logPath);
        if (!log.exists()) {
            msgBox(QStringLiteral("Unable to find ") + base + QStringLiteral(".log"));
            continue;
        }
        if (!log.open(QIODevice::ReadOnly)) {
            msgBox(QStringLiteral("Cannot read ") + logPath + QStringLiteral("; the trace stops here."));
            break;
        }
        QString logtext = QString::fromUtf8(log.readAll());
        log.close();
        logtext.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));

        if (i == 4) {
            st.report << (row == 1 ? QStringLiteral("Tracing custom object: ") + custom
                                   : QStringLiteral("Tracing ") + mathalpha.value(row) + QLatin1Char(':'));
            scanMathObject(st, logtext, mathalpha.value(row));
        }
        scanLogLines(st, logtext);
        rmdefault = st.rmdefault;
        sfdefault = st.sfdefault;
        ttdefault = st.ttdefault;
        encdefault = st.encdefault;
        const bool goOn = diagnosePass(st, i, logtext, exitStatus, [](const QString& fd) {
            return !kpsewhich(fd + QStringLiteral(".fd")).isEmpty();
        });
        if (!goOn)
            break;
        reportPass(st, i, CheckBox1->isChecked());
        keepDrawing();
    }
    MainRmDefault = st.mainRmDefault;
    MainEncDefault = st.mainEncDefault;
    finish(st);
}

void TraceSty::finish(const TraceState& st)
{
    if (st.problem) {
        PushButton2->setVisible(true);
        problemFiles = st.problemList.join(tab);
    }
    TextArea1->setPlainText(st.report.join(lf));
    PushButton3->setEnabled(true);
    update();
}

} // namespace qlk
