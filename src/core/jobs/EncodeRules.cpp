#include "core/jobs/EncodeRules.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/files/FileObject.h"
#include "core/jobs/DestinationPolicy.h"
#include "core/jobs/EncodeTexts.h"

#include <QDir>
#include <QFileInfo>

namespace t = encodeTexts;

namespace encodeRules {

namespace {

const QString kMpg = QStringLiteral("MPG");

QString upperExtension(const QString& path) {
    return FileObject::shared().GetExtensionName(path).toUpper();
}

bool formatMatches(const QString& ext, const QString& format) {
    return format == t::anyFormat() ? !ext.isEmpty() : ext == format;
}

}  // namespace

Panel panel(int index) {
    const QStringList video = {kMpg, QStringLiteral("AVI"), QStringLiteral("WMV"),
                               QStringLiteral("FLV")};
    const QStringList flv = {QStringLiteral("FLV")};
    switch (index) {
        case 0:
            return {t::sourceVideo(), t::toVideo(), flv, flv.first(), video, kMpg, true};
        case 1:
            return {t::sourceVideo(), t::toVideo(), video + QStringList{t::anyFormat()}, kMpg, flv,
                    flv.first(),      true};
        case 2:
            return {t::sourceVideo(),
                    t::toMusic(),
                    flv,
                    flv.first(),
                    {QStringLiteral("WAV"), QStringLiteral("MP3")},
                    QStringLiteral("MP3"),
                    false};
        case 3:
            return {t::sourceMusic(),
                    t::toVideo(),
                    {QStringLiteral("WAV"), QStringLiteral("MP3"), t::anyFormat()},
                    QStringLiteral("MP3"),
                    flv,
                    flv.first(),
                    false};
        default:
            return {};
    }
}

QList<SettingList> settingLists() {
    const auto list = [](const char* items) { return QString::fromUtf8(items).split(u' '); };
    return {
        {QStringLiteral("cboVideoSize"), QStringLiteral("視訊　大小："),
         QStringLiteral("畫面多長多寬"), QStringLiteral(" -s "),
         QStringList{t::originalSize()} + list("160x120 240x180 320x240 400x300 480x360 512x384 "
                                               "640x480 720x576 800x600"),
         t::originalSize(), true},
        {QStringLiteral("cboVideoFramerate"), QStringLiteral("視訊楨速率："),
         QStringLiteral("每秒幾格畫面"), QStringLiteral(" -r "),
         list("1 5 6 7.5 8 10 12 12.5 15 20 24 25 29.97 30"), QStringLiteral("25"), true},
        {QStringLiteral("cboVideoBitrate"), QStringLiteral("視訊位元率："),
         QStringLiteral("每秒的Ｋ位元"), QStringLiteral(" -b "),
         list("48 96 160 200 250 360 768 1000 1600"), QStringLiteral("200"), true},
        {QStringLiteral("cboAudioSamplingRate"), QStringLiteral("音訊取樣率："),
         QStringLiteral("每秒取樣次數"), QStringLiteral(" -ar "), list("11025 22050 44100"),
         QStringLiteral("22050"), false},
        {QStringLiteral("cboAudioBitrate"), QStringLiteral("音訊位元率："),
         QStringLiteral("每秒的Ｋ位元"), QStringLiteral(" -ab "),
         list("16 20 24 32 48 56 64 80 112 128 160"), QStringLiteral("64"), false},
        {QStringLiteral("cboAudioChannel"),
         QStringLiteral("音訊　頻道："),
         QStringLiteral("聲音頻道數目"),
         QStringLiteral(" -ac "),
         {t::mono(), t::stereo()},
         t::stereo(),
         false},
    };
}

QString absolutePath(const QString& text, const QString& folder) {
    const QString path = text.trimmed();
    if (path.isEmpty() || QFileInfo(path).isAbsolute()) {
        return path;
    }
    // Written as the user typed it after the folder, so that equal texts stay equal.
    return addSeparator(folder.isEmpty() ? QDir::currentPath() : folder) + path;
}

QString sourceProblem(const QString& path, const QString& format) {
    if (path.isEmpty()) {
        return t::noSource();
    }
    if (!FileObject::shared().FileExists(path)) {
        return t::sourceGone(path);
    }
    const QString ext = upperExtension(path);
    if (!formatMatches(ext, format) && !(format == kMpg && ext == QLatin1String("MPEG"))) {
        return t::notInFormat(t::sourceSide(), format, path);
    }
    return QString();
}

bool sourceValid(const QString& path, const QString& format) {
    return sourceProblem(path, format).isEmpty();
}

QString targetProblem(const QString& path, const QString& format) {
    const FileObject& fso = FileObject::shared();
    if (path.isEmpty()) {
        return t::noTarget();
    }
    const QString folder = fso.GetParentFolderName(path);
    if (!folder.isEmpty() && !fso.FolderExists(folder)) {
        return t::targetFolderGone(folder);
    }
    if (fso.GetBaseName(path).isEmpty() || !path.contains(u'.') ||
        !formatMatches(upperExtension(path), format)) {
        return t::notInFormat(t::targetSide(), format, path);
    }
    return QString();
}

bool targetValid(const QString& path, const QString& format) {
    return targetProblem(path, format).isEmpty();
}

QString withFormat(const QString& path, const QString& format) {
    const FileObject& fso = FileObject::shared();
    const QString base = fso.GetBaseName(path);
    if (format == t::anyFormat() || base.isEmpty()) {
        return path;
    }
    return fso.GetParentFolderName(path) + base + u'.' + format.toLower();
}

int dropFormat(const QStringList& formats, const QString& path) {
    const QString ext = upperExtension(path);
    for (int i = 0; i < formats.size(); ++i) {
        if (formats.at(i) == ext || formats.at(i) == t::anyFormat()) {
            return i;
        }
    }
    return -1;
}

QString browseFilter(const QString& format, bool source) {
    if (format == t::anyFormat()) {
        return t::anyFilter();
    }
    const QString pattern =
        source && format == kMpg ? QStringLiteral("mpg;*.mpeg") : format.toLower();
    return t::formatFilter(format, pattern);
}

QString browseDefaultExt(const QString& format) {
    return format == t::anyFormat() ? QString() : u'.' + format;
}

Refusal check(int panel, const QString& src, const QString& dst, const QString& frameRate) {
    if (!FileObject::shared().FileExists(src)) {
        return Refusal::SourceMissing;
    }
    if (dst == src || destinationPolicy::sameFile(src, dst)) {
        return Refusal::SameFile;
    }
    if (panel < 2 && QFileInfo(dst).suffix().toLower() == QLatin1String("mpg") &&
        frameRate.toDouble() < 20) {
        return Refusal::FrameRate;
    }
    return Refusal::None;
}

QString refusalText(Refusal refusal) {
    switch (refusal) {
        case Refusal::SourceMissing:
            return t::sourceMissing();
        case Refusal::SameFile:
            return t::sameFile();
        case Refusal::FrameRate:
            return t::mpgFrameRate();
        case Refusal::None:
            break;
    }
    return QString();
}

}  // namespace encodeRules
