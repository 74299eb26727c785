// The help ships whole: every page the program opens is in help/, every link and picture
// inside a page reaches a file of help/ (and, with "#name", an id on that page), nothing
// points outside (no scheme, no path above help/), no page runs a script, and every picture
// of help/images is shown by some page. The checker is tried on made-up folders too, so that
// it is known to find each kind of fault.
#include "TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QUrl>

namespace {

// The pages the program opens by name (its menus, the about window, the cannot-play box).
const QStringList kOpenedPages = {
    u8("Zelvo.FLV.html"),
    u8("Voduv.ADI.html"),
    u8("index.html"),
    u8("software/detail/Zelvo.FLV/index.html"),
    u8("software/detail/Zelvo.FLV.htm"),
    u8("software/detail/ZelvoResFLV.htm"),
    u8("fetch.html"),
    u8("feedback.html"),
    u8("blog.html"),
};
// The anchors the program opens: page and id.
const QList<QPair<QString, QString>> kOpenedAnchors = {{u8("Voduv.ADI.html"), u8("addons")}};

bool isPage(const QString& path) {
    return path.endsWith(u8(".html")) || path.endsWith(u8(".htm"));
}

// A page's text without its comments, so that a commented-out link counts for nothing.
QString withoutComments(const QString& html) {
    static const QRegularExpression comment(u8("<!--.*?-->"),
                                            QRegularExpression::DotMatchesEverythingOption);
    QString text = html;
    text.remove(comment);
    return text;
}

QString decodeEntities(QString value) {
    value.replace(u8("&quot;"), u8("\""));
    value.replace(u8("&#39;"), u8("'"));
    value.replace(u8("&lt;"), u8("<"));
    value.replace(u8("&gt;"), u8(">"));
    value.replace(u8("&amp;"), u8("&"));
    return value;
}

// Every reference of a page or style sheet: the values of href, src and srcset, and url(…).
QStringList references(const QString& text) {
    static const QRegularExpression attribute(u8("\\b(?:href|src|srcset|poster|action|data)\\s*="
                                                 "\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))"),
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression cssUrl(u8("url\\(\\s*['\"]?([^'\")]*)['\"]?\\s*\\)"),
                                           QRegularExpression::CaseInsensitiveOption);
    QStringList found;
    for (auto it = attribute.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString value = m.captured(1) + m.captured(2) + m.captured(3);
        if (m.captured(0).startsWith(u8("srcset"), Qt::CaseInsensitive)) {
            for (const QString& candidate : value.split(u',', Qt::SkipEmptyParts)) {
                found << decodeEntities(candidate.trimmed().section(u' ', 0, 0));
            }
        } else {
            found << decodeEntities(value);
        }
    }
    for (auto it = cssUrl.globalMatch(text); it.hasNext();) {
        found << it.next().captured(1).trimmed();
    }
    return found;
}

QSet<QString> idsOf(const QString& html) {
    static const QRegularExpression id(u8("\\b(?:id|name)\\s*=\\s*[\"']([^\"']+)[\"']"),
                                       QRegularExpression::CaseInsensitiveOption);
    QSet<QString> ids;
    for (auto it = id.globalMatch(html); it.hasNext();) {
        ids.insert(it.next().captured(1));
    }
    return ids;
}

// Everything wrong with the help in folder, one line a fault; empty when it ships whole.
QStringList helpProblems(const QString& folder, const QStringList& opened = kOpenedPages,
                         const QList<QPair<QString, QString>>& anchors = kOpenedAnchors) {
    const QDir root(folder);
    QStringList problems;
    QHash<QString, QString> texts;  // every page and style sheet, by its path in the help
    QStringList pictures;
    for (QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString path = root.relativeFilePath(it.next());
        if (isPage(path) || path.endsWith(u8(".css"))) {
            QFile file(it.filePath());
            if (!file.open(QIODevice::ReadOnly)) {
                problems << path + u8(": cannot be read");
                continue;
            }
            QStringDecoder utf8(QStringDecoder::Utf8);
            const QString text = utf8(file.readAll());
            if (utf8.hasError()) {
                problems << path + u8(": not UTF-8");
            }
            texts.insert(path, isPage(path) ? withoutComments(text) : text);
        } else if (path.startsWith(u8("images/"))) {
            pictures << path;
        }
    }
    QHash<QString, QSet<QString>> ids;
    for (auto it = texts.cbegin(); it != texts.cend(); ++it) {
        if (isPage(it.key())) {
            ids.insert(it.key(), idsOf(it.value()));
        }
    }

    for (const QString& page : opened) {
        if (!texts.contains(page)) {
            problems << page + u8(": missing (the program opens it)");
        }
    }
    for (const auto& [anchorPage, anchorId] : anchors) {
        if (texts.contains(anchorPage) && !ids.value(anchorPage).contains(anchorId)) {
            problems << anchorPage + u8(": no id \"") + anchorId + u8("\" (the program opens it)");
        }
    }

    static const QRegularExpression scheme(u8("^[A-Za-z][A-Za-z0-9+.-]*:"));
    static const QRegularExpression script(u8("<script\\b|\\son[a-z]+\\s*="),
                                           QRegularExpression::CaseInsensitiveOption);
    QSet<QString> shown;
    for (auto it = texts.cbegin(); it != texts.cend(); ++it) {
        const QString& from = it.key();
        const QString& text = it.value();
        if (isPage(from)) {
            if (!text.contains(u8("<meta charset=\"utf-8\">"), Qt::CaseInsensitive)) {
                problems << from + u8(": does not declare UTF-8");
            }
            if (!text.contains(u8("<html lang=\"zh-Hant\">"))) {
                problems << from + u8(": not marked as zh-Hant");
            }
            if (script.match(text).hasMatch()) {
                problems << from + u8(": runs a script");
            }
        }
        for (const QString& reference : references(text)) {
            const QString where = from + u8(": \"") + reference + u8("\"");
            if (reference.isEmpty()) {
                problems << where + u8(" is empty");
                continue;
            }
            if (scheme.match(reference).hasMatch() || reference.startsWith(u8("//")) ||
                reference.startsWith(u8("/"))) {
                problems << where + u8(" points outside the help");
                continue;
            }
            const QString target =
                QUrl::fromPercentEncoding(reference.section(u'#', 0, 0).toUtf8());
            const QString fragment =
                reference.contains(u'#') ? reference.section(u'#', 1) : QString();
            QString file = from;
            if (!target.isEmpty()) {
                file = QDir::cleanPath(QFileInfo(from).path() + u8("/") + target);
                if (file.startsWith(u8("../")) || file == u8("..")) {
                    problems << where + u8(" climbs out of the help");
                    continue;
                }
                if (!QFileInfo(root.filePath(file)).isFile()) {
                    problems << where + u8(" names no file of the help");
                    continue;
                }
            }
            shown.insert(file);
            if (!fragment.isEmpty() &&
                !(ids.contains(file) && ids.value(file).contains(fragment))) {
                problems << where + u8(" names no id on ") + file;
            }
        }
    }
    for (const QString& picture : pictures) {
        if (!shown.contains(picture)) {
            problems << picture + u8(": shown by no page");
        }
    }
    problems.sort();
    return problems;
}

QString helpFolder() {
    return qEnvironmentVariable("ZELVO_SOURCE_DIR") + u8("/help");
}

struct BrokenHelp {
    QList<QPair<const char*, const char*>> files;  // path in the help, its text
    QString problem;                               // the one fault the checker must name
};

QByteArray page(const char* body) {
    return QByteArray(
               "<!DOCTYPE html>\n<html lang=\"zh-Hant\">\n<head>\n<meta charset=\"utf-8\">\n"
               "</head>\n<body>\n") +
           body + "\n</body>\n</html>\n";
}

}  // namespace

Q_DECLARE_METATYPE(BrokenHelp)

class tst_HelpLinks : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void shippedHelpIsWhole();
    void checkerFindsEachFault_data();
    void checkerFindsEachFault();
};

void tst_HelpLinks::shippedHelpIsWhole() {
    QVERIFY2(QFileInfo(helpFolder()).isDir(), qPrintable(helpFolder()));
    const QStringList problems = helpProblems(helpFolder());
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u8("\n"))));
    // Every window the help describes is pictured.
    for (const char* picture : {"main-window", "playlist", "file-list", "marks", "split", "join",
                                "snapshot", "fix", "encode", "capture"}) {
        QVERIFY2(QFileInfo::exists(helpFolder() + u8("/images/") + u8(picture) + u8(".png")),
                 picture);
    }
}

void tst_HelpLinks::checkerFindsEachFault_data() {
    const char* fine = "<p id=\"a\"><a href=\"b.html#b\">b</a></p>";
    const char* other = "<p id=\"b\"><a href=\"a.html\">a</a></p>";
    testsupport::addRows<BrokenHelp>({
        {"a whole help", {{{"a.html", fine}, {"b.html", other}}, QString()}},
        {"a link to a page that is not there",
         {{{"a.html", "<p id=\"a\"><a href=\"c.html\">c</a></p>"}, {"b.html", other}},
          u8("a.html: \"c.html\" names no file of the help")}},
        {"an anchor that is not on its page",
         {{{"a.html", "<p id=\"a\"><a href=\"b.html#nowhere\">b</a></p>"}, {"b.html", other}},
          u8("a.html: \"b.html#nowhere\" names no id on b.html")}},
        {"an anchor on the same page",
         {{{"a.html", "<p id=\"a\"><a href=\"#top\">top</a></p>"}, {"b.html", other}},
          u8("a.html: \"#top\" names no id on a.html")}},
        {"a web address",
         {{{"a.html", "<p id=\"a\"><a href=\"https://example.org/\">x</a></p>"}, {"b.html", other}},
          u8("a.html: \"https://example.org/\" points outside the help")}},
        {"a picture from the web",
         {{{"a.html", "<p id=\"a\"><img src=\"http://example.org/x.png\" alt=\"x\"></p>"},
           {"b.html", other}},
          u8("a.html: \"http://example.org/x.png\" points outside the help")}},
        {"a path above the help",
         {{{"a.html", "<p id=\"a\"><a href=\"../../etc/passwd\">x</a></p>"}, {"b.html", other}},
          u8("a.html: \"../../etc/passwd\" climbs out of the help")}},
        {"a missing picture",
         {{{"a.html", "<p id=\"a\"><img src=\"images/gone.png\" alt=\"x\"></p>"},
           {"b.html", other}},
          u8("a.html: \"images/gone.png\" names no file of the help")}},
        {"a picture no page shows",
         {{{"a.html", fine}, {"b.html", other}, {"images/unused.png", "png"}},
          u8("images/unused.png: shown by no page")}},
        {"a style sheet's picture that is not there",
         {{{"a.html", fine}, {"b.html", other}, {"help.css", "p { background: url(gone.png) }"}},
          u8("help.css: \"gone.png\" names no file of the help")}},
        {"a script",
         {{{"a.html", "<p id=\"a\">a</p><script>alert(1)</script>"}, {"b.html", other}},
          u8("a.html: runs a script")}},
        {"a page the program opens is missing",
         {{{"a.html", "<p id=\"a\">a</p>"}}, u8("b.html: missing (the program opens it)")}},
        {"the anchor the program opens is missing",
         {{{"a.html", "<p id=\"elsewhere\">a</p>"}, {"b.html", other}},
          u8("a.html: no id \"a\" (the program opens it)")}},
    });
}

void tst_HelpLinks::checkerFindsEachFault() {
    QFETCH(BrokenHelp, row);
    QTemporaryDir folder;
    for (const auto& [path, text] : row.files) {
        const QString file = folder.filePath(u8(path));
        QDir().mkpath(QFileInfo(file).path());
        const bool isHtml = QString::fromUtf8(path).endsWith(u8(".html"));
        QVERIFY(testsupport::writeFile(file, isHtml ? page(text) : QByteArray(text)));
    }
    const QStringList problems =
        helpProblems(folder.path(), {u8("a.html"), u8("b.html")}, {{u8("a.html"), u8("a")}});
    QCOMPARE(problems, row.problem.isEmpty() ? QStringList() : QStringList{row.problem});
}

QTEST_GUILESS_MAIN(tst_HelpLinks)
#include "tst_helplinks.moc"
