#include "effects/BatchMode.h"

#include "effects/KeyCommand.h"
#include "effects/KeyDispatcher.h"
#include "effects/ViewerCommands.h"
#include "effects/ViewerList.h"
#include "viewer/PictureLoader.h"
#include "core/RawPath.h"
#include "core/Rnd.h"
#include "core/SettingsStore.h"
#include "core/SettingsText.h"
#include "effects/ZoomView.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QFile>
#include <QIODevice>
#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {
int16_t namedKey(const QString &name)
{
    if (const int16_t key = viewerKeyNamed(name))
        return key;
    // A letter or digit no command uses is still a key: it does nothing.
    const QString n = name.toUpper();
    if (n.size() == 1 && ((n[0] >= 'A' && n[0] <= 'Z') || (n[0] >= '0' && n[0] <= '9')))
        return int16_t(n[0].unicode());
    return 0;
}

// Keys whose work is the viewer window's or the media player's: the whole
// key is refused, whatever the shift state makes of it.
bool needsViewer(int16_t keyCode, int16_t shift)
{
    const ViewerCommand *row = findViewerCommand(keyCode, shift);
    if (!row)
        return false;
    const KeyAction action = row->command(row->shift).action;
    return action != KeyAction::None && action != KeyAction::Save && !isPictureCommand(action);
}
} // namespace

KeyListParse parseKeyList(const QString &text)
{
    KeyListParse r;
    const QStringList tokens = text.split(',');
    for (const QString &raw : tokens) {
        const QString token = raw.trimmed();
        if (token.isEmpty()) {
            r.error = QStringLiteral("An empty key name in \"%1\".").arg(text);
            break;
        }
        const QStringList parts = token.split('+');
        BatchKey key;
        key.name = token;
        bool ok = true;
        for (int i = 0; i + 1 < parts.size() && ok; ++i) {
            const QString m = parts[i].trimmed().toLower();
            const int16_t bit = m == "shift" ? ShiftKey : m == "ctrl" ? CtrlKey : m == "alt" ? AltKey : 0;
            if (!bit || (key.shift & bit))
                ok = false;
            key.shift |= bit;
        }
        key.keyCode = ok ? namedKey(parts.last().trimmed()) : 0;
        if (!key.keyCode) {
            r.error = QStringLiteral("Unknown key \"%1\".").arg(token);
            break;
        }
        if (needsViewer(key.keyCode, key.shift)) {
            r.error = QStringLiteral("The key \"%1\" needs the viewer window and cannot run in batch mode.").arg(token);
            break;
        }
        r.keys.push_back(key);
    }
    if (!r.error.isEmpty())
        r.keys.clear();
    return r;
}

namespace {
struct Options {
    QString keys;
    bool haveKeys = false;
    bool help = false;
    QSize screen{1920, 1080};
    bool haveSeed = false;
    quint32 seed = 0;
    QByteArray outDir;
    QList<QByteArray> files;
};

// Each file is a list of one, saved where the run says.
class OneFile : public ViewerList {
public:
    explicit OneFile(const QString &folder) : m_folder(folder) {}
    int currentEntry() const override { return 1; }
    int entryCount() const override { return 1; }
    void selectEntry(int) override {}
    void showEntry() override {}
    QString saveFolder() const override { return m_folder; }

private:
    QString m_folder;
};

// glintwave --apply runs glintwave-apply where it is installed: one text for both.
QString usage()
{
    return QStringLiteral("Usage: glintwave-apply KEYS [--screen WxH] [--seed N] [--out DIR] FILE...\n"
                          "  or:  glintwave --apply KEYS [--screen WxH] [--seed N] [--out DIR] FILE...");
}

// Text for the user, with file names spliced in as the bytes they are.
void say(QIODevice &to, const QByteArray &line)
{
    to.write(line);
    to.write("\n");
}

QByteArray folderOf(const QByteArray &file)
{
    const int slash = file.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : file.left(slash);
}

bool parseOptions(QList<QByteArray> args, Options &o, QString &error)
{
    if (!args.isEmpty() && args.first() != "--apply" && args.size() > 1 && args.at(1) == "--apply")
        args.removeFirst(); // the program's own name
    // Asked for anywhere, also where "--apply" would take it as its keys.
    for (const QByteArray &a : args) {
        if (a == "--")
            break;
        if (a == "--help" || a == "-h") {
            o.help = true;
            return true;
        }
    }
    bool onlyFiles = false;
    for (int i = 0; i < args.size(); ++i) {
        QByteArray a = args.at(i);
        if (onlyFiles || !a.startsWith("--")) {
            o.files << a;
            continue;
        }
        if (a == "--") {
            onlyFiles = true;
            continue;
        }
        QByteArray value;
        const int eq = a.indexOf('=');
        if (eq > 0) {
            value = a.mid(eq + 1);
            a = a.left(eq);
        } else if (a == "--apply" || a == "--screen" || a == "--seed" || a == "--out") {
            if (i + 1 >= args.size()) {
                error = QStringLiteral("%1 needs a value.").arg(QString::fromUtf8(a));
                return false;
            }
            value = args.at(++i);
        }
        const QString text = QString::fromUtf8(value);
        if (a == "--apply") {
            o.keys = text;
            o.haveKeys = true;
        } else if (a == "--screen") {
            const QRegularExpressionMatch m = QRegularExpression("^(\\d{1,6})[xX](\\d{1,6})$").match(text);
            if (!m.hasMatch() || m.captured(1).toInt() < 1 || m.captured(2).toInt() < 1) {
                error = QStringLiteral("--screen wants a size like 1920x1080, not \"%1\".").arg(text);
                return false;
            }
            o.screen = QSize(m.captured(1).toInt(), m.captured(2).toInt());
        } else if (a == "--seed") {
            bool ok = false;
            o.seed = text.toUInt(&ok);
            if (!ok) {
                error = QStringLiteral("--seed wants a whole number from 0 to 4294967295, not \"%1\".").arg(text);
                return false;
            }
            o.haveSeed = true;
        } else if (a == "--out") {
            OpenedPath folder(value);
            if (folder.path().isEmpty() || !QFileInfo(folder.path()).isDir()) {
                error = QStringLiteral("The output folder \"%1\" does not exist.").arg(folder.display());
                return false;
            }
            o.outDir = value;
        } else {
            error = QStringLiteral("Unknown option \"%1\".").arg(QString::fromUtf8(a));
            return false;
        }
    }
    if (!o.haveKeys) {
        error = QStringLiteral("--apply is missing.");
        return false;
    }
    if (o.files.isEmpty()) {
        error = QStringLiteral("No picture files given.");
        return false;
    }
    return true;
}

} // namespace

QString batchUsage()
{
    // Also the manual page's source: help2man reads the usage line, the
    // paragraphs and the option list below.
    return usage() + QStringLiteral(
        "\n\n"
        "Applies the viewer's key commands to each picture, as if typed in the viewer\n"
        "on a screen of the given size, and saves the result as the next free\n"
        "gwNNN.bmp beside the picture (or in DIR). Needs no display.\n"
        "\n"
        "KEYS are key names separated by commas, each after any of Shift+, Ctrl+ and\n"
        "Alt+: letters, digits, Plus, Minus, Comma, Period, Up, Down, Left, Right,\n"
        "Home, End, Ins, Del, Space, Backspace, Esc; for example \"Shift+Z,T,8\".\n"
        "\n"
        "Prints the name of each picture written; exits 0 when every picture was\n"
        "saved, 1 when one failed, 2 for a command line it refused.\n"
        "\n"
        "Options:\n"
        "  --screen WxH   The screen the keys are typed on (1920x1080 unless given).\n"
        "  --seed N       Start the noise effects from N, so that a run repeats.\n"
        "  --out DIR      Save into DIR instead of beside each picture.\n"
        "  -h, --help     Show this text and exit.\n"
        "  --             Every argument after this is a file name.\n");
}

int runBatch(const QList<QByteArray> &args, const BatchSettings &settings, QIODevice &out, QIODevice &err)
{
    Options o;
    QString error;
    if (!parseOptions(args, o, error)) {
        say(err, "glintwave: " + error.toUtf8() + "\n" + usage().toUtf8());
        return 2;
    }
    if (o.help) {
        say(out, batchUsage().toUtf8());
        return 0;
    }
    const KeyListParse keys = parseKeyList(o.keys);
    if (!keys.error.isEmpty()) {
        say(err, "glintwave: " + keys.error.toUtf8());
        return 2;
    }
    for (const BatchKey &k : keys.keys)
        if (decodeKey(k.keyCode, k.shift).action == KeyAction::None)
            say(err, "glintwave: note: " + k.name.toUtf8() + " does nothing.");

    if (o.haveSeed)
        Randomize(o.seed);
    else
        RandomizeFromClock();
    int status = 0;
    for (const QByteArray &file : o.files) {
        // The viewer's loader and limits; transparent parts show the
        // viewer's background. The name's bytes reach the file whatever they are.
        const OpenedPath opened(file);
        const int32_t bg = settings.bgColour;
        const LoadedPicture loaded = opened.path().isEmpty()
            ? LoadedPicture{}
            : PictureLoader::load(opened.path(), QColor(bg & 0xff, (bg >> 8) & 0xff, (bg >> 16) & 0xff));
        if (!loaded.ok()) {
            const QString why = opened.path().isEmpty() && ::access(file.constData(), F_OK) != 0
                ? qt_error_string(errno) : loaded.error;
            say(err, "glintwave: cannot load " + file + ": " + why.toUtf8());
            status = 1;
            continue;
        }
        KeyDispatcher dispatcher;
        dispatcher.setSynchronous(true);
        dispatcher.history().setCap(0);   // no one undoes here: no steps kept
        PictureView view;
        view.image = loaded.image;
        view.screen = view.window = o.screen;
        view.bgColour = settings.bgColour;
        view.edgeTuning = settings.edgeTuning;
        centrepic(view);
        dispatcher.setView(view);
        bool failed = false;
        const QByteArray folderBytes = o.outDir.isEmpty() ? folderOf(file) : o.outDir;
        const OpenedPath folder(folderBytes);
        OneFile list(folder.path());
        dispatcher.setList(&list);
        QObject::connect(&dispatcher, &KeyDispatcher::saved, [&](const QString &path) {
            say(out, RawPath::join(folderBytes, QFileInfo(path).fileName().toUtf8()));
        });
        QObject::connect(&dispatcher, &KeyDispatcher::message, [&](const QString &text) {
            say(err, "glintwave: " + file + ": " + text.toUtf8());
            failed = true;
        });
        for (const BatchKey &k : keys.keys)
            dispatcher.Form_KeyDown(k.keyCode, k.shift);
        dispatcher.Form_KeyDown(vk::letter('X'), 0);
        if (failed)
            status = 1;
    }
    return status;
}

int runBatch(const QList<QByteArray> &args)
{
    BatchSettings s;
    SettingsStore store;
    s.edgeTuning = SettingsText::toInt16(store.GetSetting("EdgeTuning", "40")).value_or(40);
    s.bgColour = SettingsText::toInt32(store.GetSetting("BgColour", "16777215")).value_or(16777215);
    QFile out, err;
    out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    return runBatch(args, s, out, err);
}
