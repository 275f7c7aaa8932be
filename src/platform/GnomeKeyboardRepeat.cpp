#include "platform/GnomeKeyboardRepeat.h"

#include <QProcess>
#include <QStringList>

#include <utility>
#include <vector>

namespace velnor7 {

namespace {

using Outcome = KeyboardRepeatResult::Outcome;

const QString kSchema = QStringLiteral("org.gnome.desktop.peripherals.keyboard");
// gsettings answers at once; this only ends a wait for a program that hangs.
constexpr int kWaitMs = 10000;

struct GsettingsRun {
    bool ok = false;
    QString text;  // the output, or why the run failed
};

GsettingsRun RunGsettings(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("gsettings"), arguments);
    if (!process.waitForStarted(kWaitMs)) return {false, QStringLiteral("gsettings cannot be started")};
    if (!process.waitForFinished(kWaitMs)) {
        process.kill();
        process.waitForFinished(kWaitMs);
        return {false, QStringLiteral("gsettings did not finish")};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString error = QString::fromUtf8(process.readAllStandardError()).trimmed();
        if (error.isEmpty()) return {false, QStringLiteral("gsettings failed (status %1)").arg(process.exitCode())};
        return {false, error};
    }
    return {true, QString::fromUtf8(process.readAllStandardOutput()).trimmed()};
}

// A key's value, printed as "uint32 500".
std::optional<int> ReadKey(const QString& key) {
    const GsettingsRun run = RunGsettings({QStringLiteral("get"), kSchema, key});
    if (!run.ok) return std::nullopt;
    bool number = false;
    const int value = run.text.section(' ', -1).toInt(&number);
    return number ? std::optional<int>(value) : std::nullopt;
}

}  // namespace

KeyboardRepeatResult CGnomeKeyboardRepeat::Apply(const KeyboardRepeatRequest& request) {
    const std::string where = "GNOME settings";
    std::vector<std::pair<QString, int>> changes;
    if (request.delay) changes.emplace_back(QStringLiteral("delay"), RepeatDelayMs(*request.delay));
    if (request.rate) changes.emplace_back(QStringLiteral("repeat-interval"), RepeatIntervalMs(*request.rate));
    for (const auto& [key, value] : changes) {
        const GsettingsRun run = RunGsettings({QStringLiteral("set"), kSchema, key, QString::number(value)});
        if (!run.ok) return {Outcome::Failed, where + ": " + run.text.toStdString(), std::nullopt};
    }
    const std::optional<int> delay = ReadKey(QStringLiteral("delay"));
    const std::optional<int> interval = ReadKey(QStringLiteral("repeat-interval"));
    if (!delay || !interval) return {Outcome::Failed, where + ": the values cannot be read back", std::nullopt};
    const KeyboardRepeatTiming now{*delay, *interval};
    if (!RepeatHolds(request, now)) {
        return {Outcome::Failed, where + ": the change did not hold (now " + DescribeRepeat(now) + ")", now};
    }
    return {Outcome::Applied, where + ": " + DescribeRepeat(now), now};
}

}  // namespace velnor7
