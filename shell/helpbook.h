#pragma once
// The help file's contents: numbered topics with a title, keywords and text.
//
// The file is plain text. Lines beginning with "#" are comments. A topic starts with
// "@topic <number>" and is followed by "@title <text>" and "@keywords <word>; <word>; ...".
// Everything else up to the next "@topic" is the topic's text: blank lines separate paragraphs,
// lines beginning with "- " are list items, and [[1083]] or [[1083|some words]] link to another
// topic.
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace qv {

struct HelpTopicText {
    int number = 0;
    QString title;
    QStringList keywords;
    QString body; // as written in the file
};

class HelpBook {
public:
    // Reads the text of a help file. A topic line without a valid number, or a number given twice,
    // is an error: `error` tells which line.
    static std::optional<HelpBook> Parse(const QString& text, QString* error = nullptr);

    const QList<HelpTopicText>& topics() const { return topics_; }
    const HelpTopicText* find(int number) const;

    // All keywords, sorted without regard to case, each once.
    QStringList keywords() const;
    // The keywords that contain `key` without regard to case: those that begin with it first,
    // each group sorted. An empty key gives all keywords. When none contains it, the keywords
    // sharing the longest beginning (at least 3 characters) with it.
    QStringList matchKeywords(const QString& key) const;
    // The topics carrying a keyword (compared without regard to case), in file order.
    QList<int> topicsFor(const QString& keyword) const;

    // The topic's text as HTML for the help viewer; links read "topic:<number>".
    QString html(const HelpTopicText& topic) const;

private:
    QList<HelpTopicText> topics_;
};

} // namespace qv
