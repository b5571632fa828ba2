#include "effects/BatchMode.h"

#include "effects/KeyCommand.h"
#include "effects/KeyDispatcher.h"
#include "effects/ViewerCommands.h"
#include "effects/ViewerList.h"
#include "viewer/PictureLoader.h"
#include "core/Rnd.h"
#include "core/SettingsStore.h"
#include "core/SettingsText.h"
#include "effects/ZoomView.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>
#include <cstdio>

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
    QSize screen{1920, 1080};
    bool haveSeed = false;
    quint32 seed = 0;
    QString outDir;
    QStringList files;
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

QString usage()
{
    return QStringLiteral("Usage: glintwave --apply KEYS [--screen WxH] [--seed N] [--out DIR] FILE...");
}

bool parseOptions(QStringList args, Options &o, QString &error)
{
    if (!args.isEmpty() && args.first() != QLatin1String("--apply") && args.size() > 1 && args.at(1) == QLatin1String("--apply"))
        args.removeFirst(); // the program's own name
    bool onlyFiles = false;
    for (int i = 0; i < args.size(); ++i) {
        QString a = args.at(i);
        if (onlyFiles || !a.startsWith(QLatin1String("--"))) {
            o.files << a;
            continue;
        }
        if (a == QLatin1String("--")) {
            onlyFiles = true;
            continue;
        }
        QString value;
        const int eq = a.indexOf('=');
        if (eq > 0) {
            value = a.mid(eq + 1);
            a = a.left(eq);
        } else if (a == "--apply" || a == "--screen" || a == "--seed" || a == "--out") {
            if (i + 1 >= args.size()) {
                error = QStringLiteral("%1 needs a value.").arg(a);
                return false;
            }
            value = args.at(++i);
        }
        if (a == "--apply") {
            o.keys = value;
            o.haveKeys = true;
        } else if (a == "--screen") {
            const QRegularExpressionMatch m = QRegularExpression("^(\\d{1,6})[xX](\\d{1,6})$").match(value);
            if (!m.hasMatch() || m.captured(1).toInt() < 1 || m.captured(2).toInt() < 1) {
                error = QStringLiteral("--screen wants a size like 1920x1080, not \"%1\".").arg(value);
                return false;
            }
            o.screen = QSize(m.captured(1).toInt(), m.captured(2).toInt());
        } else if (a == "--seed") {
            bool ok = false;
            o.seed = value.toUInt(&ok);
            if (!ok) {
                error = QStringLiteral("--seed wants a whole number from 0 to 4294967295, not \"%1\".").arg(value);
                return false;
            }
            o.haveSeed = true;
        } else if (a == "--out") {
            if (!QFileInfo(value).isDir()) {
                error = QStringLiteral("The output folder \"%1\" does not exist.").arg(value);
                return false;
            }
            o.outDir = value;
        } else {
            error = QStringLiteral("Unknown option \"%1\".").arg(a);
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

int runBatch(const QStringList &args, const BatchSettings &settings, QTextStream &out, QTextStream &err)
{
    Options o;
    QString error;
    if (!parseOptions(args, o, error)) {
        err << "glintwave: " << error << "\n" << usage() << "\n";
        err.flush();
        return 2;
    }
    const KeyListParse keys = parseKeyList(o.keys);
    if (!keys.error.isEmpty()) {
        err << "glintwave: " << keys.error << "\n";
        err.flush();
        return 2;
    }
    for (const BatchKey &k : keys.keys)
        if (decodeKey(k.keyCode, k.shift).action == KeyAction::None)
            err << "glintwave: note: " << k.name << " does nothing.\n";

    if (o.haveSeed)
        Randomize(o.seed);
    else
        RandomizeFromClock();
    int status = 0;
    for (const QString &file : o.files) {
        // The viewer's loader and limits; transparent parts show the
        // viewer's background.
        const int32_t bg = settings.bgColour;
        const LoadedPicture loaded = PictureLoader::load(file, QColor(bg & 0xff, (bg >> 8) & 0xff, (bg >> 16) & 0xff));
        const QImage image = loaded.image;
        if (!loaded.ok()) {
            err << "glintwave: cannot load " << file << ": " << loaded.error << "\n";
            err.flush();
            status = 1;
            continue;
        }
        KeyDispatcher dispatcher;
        dispatcher.setSynchronous(true);
        PictureView view;
        view.image = image;
        view.screen = view.window = o.screen;
        view.bgColour = settings.bgColour;
        view.edgeTuning = settings.edgeTuning;
        centrepic(view);
        dispatcher.setView(view);
        bool failed = false;
        OneFile list(o.outDir.isEmpty() ? QFileInfo(file).absolutePath() : o.outDir);
        dispatcher.setList(&list);
        QObject::connect(&dispatcher, &KeyDispatcher::saved, [&out](const QString &path) {
            out << QDir::toNativeSeparators(path) << "\n";
            out.flush();
        });
        QObject::connect(&dispatcher, &KeyDispatcher::message, [&](const QString &text) {
            err << "glintwave: " << file << ": " << text << "\n";
            err.flush();
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

int runBatch(const QStringList &args)
{
    BatchSettings s;
    SettingsStore store;
    s.edgeTuning = SettingsText::toInt16(store.GetSetting("EdgeTuning", "40")).value_or(40);
    s.bgColour = SettingsText::toInt32(store.GetSetting("BgColour", "16777215")).value_or(16777215);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runBatch(args, s, out, err);
}
