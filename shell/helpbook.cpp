#include "shell/helpbook.h"

#include <QRegularExpression>

#include <algorithm>

namespace qv {

namespace {

bool LessNoCase(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

QString LineError(int line, const QString& what) {
    return QStringLiteral("line %1: %2").arg(line).arg(what);
}

} // namespace

std::optional<HelpBook> HelpBook::Parse(const QString& text, QString* error) {
    HelpBook book;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        if (line.startsWith(QLatin1Char('#'))) continue;
        if (line.startsWith(QLatin1String("@topic"))) {
            bool ok = false;
            const int number = line.mid(6).trimmed().toInt(&ok);
            if (!ok || number <= 0) {
                if (error) *error = LineError(i + 1, QStringLiteral("no topic number"));
                return std::nullopt;
            }
            if (book.find(number)) {
                if (error)
                    *error = LineError(i + 1, QStringLiteral("topic %1 given twice").arg(number));
                return std::nullopt;
            }
            book.topics_.append(HelpTopicText{number, QString(), QStringList(), QString()});
            continue;
        }
        if (book.topics_.isEmpty()) {
            if (!line.trimmed().isEmpty()) {
                if (error) *error = LineError(i + 1, QStringLiteral("text before the first topic"));
                return std::nullopt;
            }
            continue;
        }
        HelpTopicText& topic = book.topics_.last();
        if (line.startsWith(QLatin1String("@title"))) {
            topic.title = line.mid(6).trimmed();
        } else if (line.startsWith(QLatin1String("@keywords"))) {
            for (const QString& word : line.mid(9).split(QLatin1Char(';'))) {
                const QString keyword = word.trimmed();
                if (!keyword.isEmpty()) topic.keywords.append(keyword);
            }
        } else {
            topic.body += line + QLatin1Char('\n');
        }
    }
    for (HelpTopicText& topic : book.topics_) {
        topic.body = topic.body.trimmed();
        if (topic.title.isEmpty()) topic.title = QStringLiteral("Topic %1").arg(topic.number);
    }
    return book;
}

const HelpTopicText* HelpBook::find(int number) const {
    for (const HelpTopicText& topic : topics_)
        if (topic.number == number) return &topic;
    return nullptr;
}

QStringList HelpBook::keywords() const {
    QStringList all;
    for (const HelpTopicText& topic : topics_)
        for (const QString& keyword : topic.keywords)
            if (!all.contains(keyword, Qt::CaseInsensitive)) all.append(keyword);
    std::sort(all.begin(), all.end(), LessNoCase);
    return all;
}

QStringList HelpBook::matchKeywords(const QString& key) const {
    const QString wanted = key.trimmed();
    QStringList starting;
    QStringList containing;
    for (const QString& keyword : keywords()) {
        if (keyword.startsWith(wanted, Qt::CaseInsensitive))
            starting.append(keyword);
        else if (keyword.contains(wanted, Qt::CaseInsensitive))
            containing.append(keyword);
    }
    if (!starting.isEmpty() || !containing.isEmpty()) return starting + containing;
    // Like a paper index: no entry holds the whole key, so offer the entries that come nearest,
    // those sharing the longest beginning with it ("QuarvScript: loop" finds "QuarvScript").
    qsizetype best = 0;
    QStringList nearest;
    for (const QString& keyword : keywords()) {
        qsizetype common = 0;
        while (common < keyword.size() && common < wanted.size() &&
               keyword[common].toLower() == wanted[common].toLower())
            ++common;
        if (common > best) {
            best = common;
            nearest.clear();
        }
        if (common == best && common > 0) nearest.append(keyword);
    }
    return best >= 3 ? nearest : QStringList();
}

QList<int> HelpBook::topicsFor(const QString& keyword) const {
    QList<int> numbers;
    for (const HelpTopicText& topic : topics_)
        if (topic.keywords.contains(keyword.trimmed(), Qt::CaseInsensitive))
            numbers.append(topic.number);
    return numbers;
}

QString HelpBook::html(const HelpTopicText& topic) const {
    static const QRegularExpression link(QStringLiteral("\\[\\[(\\d+)(?:\\|([^\\]]*))?\\]\\]"));
    const auto inlineHtml = [this](const QString& text) {
        QString out;
        qsizetype at = 0;
        auto match = link.globalMatch(text);
        while (match.hasNext()) {
            const QRegularExpressionMatch m = match.next();
            out += text.mid(at, m.capturedStart() - at).toHtmlEscaped();
            const int number = m.captured(1).toInt();
            QString words = m.captured(2);
            if (words.isEmpty()) {
                const HelpTopicText* target = find(number);
                words = target ? target->title : m.captured(1);
            }
            out += QStringLiteral("<a href=\"topic:%1\">%2</a>")
                       .arg(number)
                       .arg(words.toHtmlEscaped());
            at = m.capturedEnd();
        }
        return out + text.mid(at).toHtmlEscaped();
    };

    QString out = QStringLiteral("<h2>%1</h2>\n").arg(topic.title.toHtmlEscaped());
    QString paragraph;
    bool inList = false;
    const auto flushParagraph = [&] {
        if (!paragraph.isEmpty()) out += QStringLiteral("<p>%1</p>\n").arg(inlineHtml(paragraph));
        paragraph.clear();
    };
    const auto closeList = [&] {
        if (inList) out += QStringLiteral("</ul>\n");
        inList = false;
    };
    for (const QString& raw : topic.body.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty()) {
            flushParagraph();
            closeList();
        } else if (line.startsWith(QLatin1String("- "))) {
            flushParagraph();
            if (!inList) out += QStringLiteral("<ul>\n");
            inList = true;
            out += QStringLiteral("<li>%1</li>\n").arg(inlineHtml(line.mid(2)));
        } else if (inList) {
            // A continuation line of a list item.
            out.insert(out.lastIndexOf(QLatin1String("</li>")),
                       QLatin1Char(' ') + inlineHtml(line));
        } else {
            paragraph += (paragraph.isEmpty() ? QString() : QStringLiteral(" ")) + line;
        }
    }
    flushParagraph();
    closeList();
    return out;
}

} // namespace qv
