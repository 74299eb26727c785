#include "core/settings/SettingsFiles.h"

#include "core/lists/mdlLineFormat.h"

namespace {

constexpr QChar kBar(0x2225);  // "∥"

struct KeyName {
    SettingKey key;
    QLatin1String name;
};

constexpr KeyName kKeys[] = {
    {SettingKey::MainRect, QLatin1String("MainRect=")},
    {SettingKey::ListRect, QLatin1String("ListRect=")},
    {SettingKey::CapRect, QLatin1String("CapRect=")},
    {SettingKey::KeepWH, QLatin1String("KeepWH=")},
    {SettingKey::KeepDef, QLatin1String("KeepDef=")},
    {SettingKey::ListDir, QLatin1String("ListDir=")},
    {SettingKey::SaveDir, QLatin1String("SaveDir=")},
    {SettingKey::ListDirIdx, QLatin1String("ListDirIdx=")},
    {SettingKey::StepMode, QLatin1String("StepMode=")},
    {SettingKey::PlaySetting, QLatin1String("PlaySetting=")},
    {SettingKey::ToListEnd, QLatin1String("ToListEnd=")},
    {SettingKey::StartList, QLatin1String("StartList=")},
    {SettingKey::AutoAddMark, QLatin1String("AutoAddMark=")},
    {SettingKey::LineFmt, QLatin1String("LineFmt=")},
    {SettingKey::DoneToFn, QLatin1String("DoneToFn=")},
};

QString truth(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

// Coordinates are whole twips in practice; any other value keeps enough digits to come
// back as the same single-precision number.
QString coordinate(double value) {
    return QString::number(static_cast<double>(static_cast<float>(value)), 'g', 9);
}

template <typename Numbers>
QString joined(const Numbers& numbers, QString (*text)(double)) {
    QStringList parts;
    for (const auto n : numbers) {
        parts << text(static_cast<double>(n));
    }
    return parts.join(QLatin1Char(','));
}

QString integer(double value) {
    return QString::number(static_cast<qint64>(value));
}

// The lenient number of a list field: the leading number, or nothing without digits.
std::optional<int> fieldNumber(const QStringList& fields, int at) {
    if (at >= fields.size()) {
        return std::nullopt;
    }
    const double n = settingNumber(fields.at(at));
    if (n < -2147483648.0 || n > 2147483647.0) {
        return std::nullopt;
    }
    return static_cast<int>(n);
}

}  // namespace

QList<SettingLine> parseSettings(const QString& text) {
    QList<SettingLine> lines;
    for (const QStringView raw : splitLines(text)) {
        const QString line = trimBlanks(raw).toString();
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0) {
            continue;
        }
        const QStringView key = QStringView(line).first(equals + 1);
        for (const KeyName& known : kKeys) {
            if (key.compare(known.name, Qt::CaseInsensitive) == 0) {
                lines.append(
                    {known.key, trimBlanks(QStringView(line).sliced(equals + 1)).toString()});
                break;
            }
        }
    }
    return lines;
}

double settingNumber(const QString& text) {
    // Sign, digits, one decimal point, digits: as much of that as the text begins with.
    const QStringView t = trimBlanks(text);
    qsizetype end = 0;
    if (end < t.size() && (t.at(end) == QLatin1Char('-') || t.at(end) == QLatin1Char('+'))) {
        ++end;
    }
    bool digits = false;
    while (end < t.size() && t.at(end).isDigit() && t.at(end).unicode() < 128) {
        ++end;
        digits = true;
    }
    if (end < t.size() && t.at(end) == QLatin1Char('.')) {
        ++end;
        while (end < t.size() && t.at(end).isDigit() && t.at(end).unicode() < 128) {
            ++end;
            digits = true;
        }
    }
    if (!digits) {
        return 0.0;
    }
    bool ok = false;
    const double value = t.first(end).toString().toDouble(&ok);
    return ok ? value : 0.0;
}

QList<double> settingNumbers(const QString& value) {
    QList<double> numbers;
    for (const QString& part : value.split(QLatin1Char(','))) {
        numbers << settingNumber(part);
    }
    return numbers;
}

std::optional<bool> settingTruth(const QString& value) {
    const QString v = trimBlanks(value).toString();
    if (v.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (v.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) {
        return false;
    }
    bool ok = false;
    const double n = v.toDouble(&ok);
    if (!ok) {
        return std::nullopt;
    }
    return n != 0.0;
}

QString settingsText(const SettingsValues& v) {
    QStringList lines;
    lines << QStringLiteral("MainRect=") + joined(v.mainRect, coordinate)
          << QStringLiteral("ListRect=") + joined(v.listPos, coordinate)
          << QStringLiteral("CapRect=") + joined(v.capPos, integer)
          << QStringLiteral("KeepWH=") + truth(v.keepWH)
          << QStringLiteral("KeepDef=") + truth(v.keepDef) << QStringLiteral("ListDir=") + v.listDir
          << QStringLiteral("SaveDir=") + v.saveDir
          << QStringLiteral("ListDirIdx=") + QString::number(v.listDirIdx)
          << QStringLiteral("StepMode=") + QString::number(v.stepMode) + QLatin1Char(',') +
                 joined(v.stepValue, integer)
          << QStringLiteral("PlaySetting=") + QString::number(v.playSetting)
          << QStringLiteral("ToListEnd=") + truth(v.toListEnd)
          << QStringLiteral("StartList=") + truth(v.startList)
          << QStringLiteral("AutoAddMark=") + truth(v.autoAddMark)
          << QStringLiteral("LineFmt=") + QString::number(v.lineFmt)
          << QStringLiteral("DoneToFn=") + QString::number(v.doneToFn);
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

StoredLists parseListIni(const QString& text) {
    StoredLists stored;
    const std::vector<QStringView> lines = splitLines(text);
    const auto count = static_cast<qsizetype>(lines.size());
    if (count == 0) {
        return stored;
    }
    if (const std::optional<int> last = fieldNumber({lines.front().toString()}, 0);
        last && (*last & 1) == *last) {
        stored.lastPlaylist = *last;
    }
    qsizetype at = 1;
    while (at < count) {
        const QStringList header = lines[static_cast<size_t>(at++)].toString().split(kBar);
        const std::optional<int> number = fieldNumber(header, 0);
        const std::optional<int> entries = fieldNumber(header, 2);
        StoredPlaylist* list = number && (*number == 0 || *number == 1)
                                   ? &stored.lists[static_cast<size_t>(*number)]
                                   : nullptr;
        // The entries are taken even for a header that names no playlist, so that the next
        // header is read where it stands.
        const qsizetype take =
            entries && *entries > 0 ? std::min<qsizetype>(*entries, count - at) : 0;
        if (list != nullptr) {
            list->items.reserve(list->items.size() + take);
            for (qsizetype i = 0; i < take; ++i) {
                const QStringView item = lines[static_cast<size_t>(at + i)];
                if (isOverlongItem(item)) {
                    ++stored.refused;
                } else if (!item.isEmpty()) {
                    list->items << item.toString();
                }
            }
            if (const std::optional<int> selected = fieldNumber(header, 3)) {
                list->selected = *selected >= 0 && *selected < list->items.size() ? *selected : -1;
            }
        }
        at += take;
    }
    return stored;
}

QString listIniText(const StoredLists& stored) {
    const QString lineEnd = QStringLiteral("\r\n");
    qsizetype size = 64;
    for (const StoredPlaylist& list : stored.lists) {
        for (const QString& item : list.items) {
            size += item.size() + 2;
        }
    }
    QString text;
    text.reserve(size);
    text += QString::number(stored.lastPlaylist) + lineEnd;
    for (int i = 0; i < 2; ++i) {
        const StoredPlaylist& list = stored.lists[static_cast<size_t>(i)];
        text += QString::number(i) + kBar + QStringLiteral("清單編號") + kBar +
                QString::number(list.items.size()) + kBar + QString::number(list.selected) +
                lineEnd;
        for (const QString& item : list.items) {
            text += item;
            text += lineEnd;
        }
    }
    return text;
}
