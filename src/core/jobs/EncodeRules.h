#pragma once

#include "core/jobs/ToolCommands.h"

#include <QList>
#include <QString>
#include <QStringList>

// The rules of the four conversion panels, without widgets: what each panel converts from
// and to, the six settings lists, when a source or a target is usable, how a change of
// format rewrites a path, and what stops a conversion before anything runs.
//
// Panels: 0 FLV to video, 1 video to FLV, 2 FLV to music, 3 music to FLV.
namespace encodeRules {

inline constexpr int panelCount = 4;

struct Panel {
    QString sourceLabel;
    QString targetLabel;
    QStringList sourceFormats;
    QString sourceDefault;
    QStringList targetFormats;
    QString targetDefault;
    bool video = true;  // the video settings take part in the conversion
};
Panel panel(int index);

// One settings list: its control name, caption and hint, the option it writes in front of
// the chosen item on the command line, its items and the item chosen at first.
struct SettingList {
    QString name;
    QString caption;
    QString hint;
    QString tag;
    QStringList items;
    QString defaultItem;
    bool video = true;  // a video setting: unused on the music panels
};
// In the order the panels show them: size, frame rate, video bitrate, sampling rate, audio
// bitrate, channels.
QList<SettingList> settingLists();

// A typed path as the tools take it: trimmed, and a relative one joined to folder (the
// process's current folder when folder is "").
QString absolutePath(const QString& text, const QString& folder = QString());

// A source is usable when it exists and its extension is the format's (MPEG counts as MPG;
// "不限" takes any extension, but not none).
bool sourceValid(const QString& path, const QString& format);
// A target is usable when its folder exists (or it is a bare name), it has a name before
// the extension and the extension is the format's.
bool targetValid(const QString& path, const QString& format);
// What keeps a source or a target from being used, said for the run button's tip; "" when
// nothing does.
QString sourceProblem(const QString& path, const QString& format);
QString targetProblem(const QString& path, const QString& format);

// The path with its extension changed to the chosen format; unchanged for "不限" or a path
// without a name.
QString withFormat(const QString& path, const QString& format);
// The entry of formats a dropped file selects: the first that is its extension or "不限";
// -1 for none.
int dropFormat(const QStringList& formats, const QString& path);

// The browse dialog of a format: its filter and default extension.
QString browseFilter(const QString& format, bool source);
QString browseDefaultExt(const QString& format);

// Why a conversion may not run; None when it may. What every tool refuses (names the
// clean-up removes) is the destination policy's.
enum class Refusal {
    None,
    SourceMissing,  // the source does not exist
    SameFile,       // the target is the source
    FrameRate,      // an MPG target below 20 frames per second
};
// src and dst are absolute (absolutePath).
Refusal check(int panel, const QString& src, const QString& dst, const QString& frameRate);
// The message of a refusal ("" for None).
QString refusalText(Refusal refusal);

}  // namespace encodeRules
