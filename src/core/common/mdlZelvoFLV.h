#pragma once

#include <QLatin1String>
#include <QString>

// Shared state and helpers every window of Zelvo.FLV uses. Widget-free: the shell
// helpers that need a window live in mdlZelvoFLVShell.h.

// Open-dialog filters ("desc|patterns|desc|patterns") and the pattern texts they
// are made of ("*.flv;*.mpg;..." with a trailing ";").
extern QString openFilter;
extern QString editableFilter;
extern QString editablePatterns;
extern QString mediaPatterns;
extern QString imagePatterns;
extern QString listPatterns;

// Window coordinates in the settings files are kept in twips.
extern int twipsPerPixelX;
extern int twipsPerPixelY;
// Where the capture window was last left, in twips.
extern int capLeft;
extern int capTop;
// 0 idle, 2 playing through the playlist, 3 playing a single file.
extern int listPlayState;
// Set once the main window has begun shutting down.
extern bool appClosing;

// Extension lists: every entry, lower case, enclosed in ";" so that a lookup of
// ";" + extension + ";" decides membership.
inline constexpr QLatin1String mediaExtensions(
    ";flv;ape;ac3;aac;mpv;mpa;mpc;mp1;mp2;pcm;dts;avi;dat;mpg;mpeg;m1v;m2v;m3v;m4v;wmv;asf;divx;"
    "mov;qt;3gp;rm;ram;rmvb;rmv;vob;ifo;wav;wma;ra;rma;m1a;m2a;m3a;m4a;mp3;mp4;ogg;ogm;cda;mkv;");
inline constexpr QLatin1String audioExtensions(
    ";ape;wav;pcm;wma;ra;rma;m1a;m2a;m3a;m4a;mpa;mpc;mp1;mp2;mp3;ac3;aac;dts;ogg;");
// The files the tools can cut, split and join: the program's own containers
// followed by the ones added later.
inline constexpr QLatin1String editableExtensions(
    ";flv;mpg;mpeg;dat;vob;;avi;mp4;3gp;mov;wmv;asf;");
inline constexpr QLatin1String listExtensions(";plt;pls;m3u;m3u8;asx;");
inline constexpr QLatin1String urlSchemes(";http;https;rtsp;mms;pnm;");
// Open-dialog media list; entries may hold the wildcard "?".
inline constexpr QLatin1String openMediaExtensions(
    ";flv;ape;mpeg;wm?;asf;wav;pcm;mid;m?v;m?a;mp?;avi;ra;rm;rm?;ram;rmvb;rpm;mov;qt;3gp;au;snd;"
    "cda;dat;divx;vob;ifo;ac3;aac;dts;og?;mkv;");
inline constexpr QLatin1String imageExtensions(";jpg;jpeg;jpe;gif;bmp;png;wmf;emf;ico;cur;");

// File kinds, by extension. A bare extension ("flv") is accepted too.
bool isMediaFile(const QString& path);
bool isAudioFile(const QString& path);
bool isEditableFile(const QString& path);
bool isListFile(const QString& path);
// True when the text begins with a stream scheme of urlSchemes and ":".
bool isUrl(const QString& text);

// The command line's path or URL as another process can use it: a local path (quotes
// removed, marks after "∥" kept) made absolute against folder; a file: URL of this machine
// (as a file manager hands a file over, "file:///v/a%20b.flv") the path it names; another
// URL, an absolute path and "" unchanged.
QString absoluteTarget(const QString& text, const QString& folder);

// A local path without "." and ".." parts and doubled "/", where ".." above the root stays
// at the root ("/a/../../etc/x" is "/etc/x").
QString cleanedPath(const QString& path);

// path + "/" unless it already ends with "/"; "" stays "".
QString addSeparator(const QString& path);
// A one-character part before the first ":" is upper-cased; anything else is
// returned unchanged.
QString upperDriveLetter(const QString& path);
// The folder the tools' dialogs start in: the default save folder saveDir while it is set
// and there, or else the folder of path (the source); "" for a stream or no path.
QString getWorkDir(const QString& path, const QString& saveDir);
// Deletes the files the path names ("*" and "?" allowed in the file-name part),
// never folders. A file the player may hold is let go of first by the caller.
void killFile(const QString& path);
// Deletes the one file of exactly this name: "*" and "?" are characters of the name and
// blanks around it are kept, so an output named "a?.flv" never takes "ab.flv" with it.
// Never a folder.
void killExactFile(const QString& path);

// A number typed by the user, read leniently: the leading decimal number of the text (blanks,
// sign, digits, one "." and digits), 0 when there is none, so "12abc" reads 12.
double typedNumber(const QString& text);

// The smallest whole number not below x.
int ceilSingle(float x);

// Time text of a number of seconds. Modes:
//   0 total seconds ("75.50"),
//   1 seconds with minutes and hours only when not zero ("5.50", "01:5.50"),
//   2 minutes and seconds, hours when there are any ("01:05.50"),
//   3 hours, minutes and seconds ("00:00:00.00"),
//   4 total minutes and seconds ("62:05.00").
// seconds is first cut to hundredths (after adding 0.004) and that value is
// written back; shown decimals are cut, never rounded up. fields receives how
// many ":"-separated fields the text has. "." is always the decimal separator.
QString formatTime(float& seconds, int mode, int decimals, int* fields = nullptr);
// Seconds as formatTime shows them: cut to hundredths after adding 0.004.
float cutToHundredths(float seconds);
QString formatTime(double seconds, int mode, int decimals);
// Seconds of a "h:m:s" / "m:s" text; 0 when the text holds no ":". Each part is
// read leniently as its leading decimal number.
float parseTime(const QString& text);

// "*." + entry + ";" for every non-empty entry of an extension list.
QString buildPatterns(const QString& extensionList);
// Fills editablePatterns, mediaPatterns, imagePatterns and listPatterns.
void buildDialogPatterns();
// Fills openFilter and editableFilter from the pattern texts.
void buildDialogFilters();
