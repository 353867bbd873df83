#include "details_log.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStringDecoder>
#include <QTextCursor>
#include <chrono>

namespace tessaly::wizard {

namespace {

// Often enough for the log to look live, seldom enough that a fast
// converter's lines are laid out in a few large steps.
constexpr std::chrono::milliseconds kBatchInterval(50);

// A paragraph of the document costs about 150 bytes besides its text, as
// much again as an average output line: output lines are kept up to this
// many to a paragraph, separated by line breaks within it.
constexpr int kLinesPerBlock = 100;

// Whether the system's 8-bit code page is UTF-8 itself (always on POSIX
// systems with Qt 6, and on Windows set to UTF-8): then there is no other
// 8-bit code page to fall back on.
bool systemCodePageIsUtf8() {
    static const bool utf8 = QString::fromLocal8Bit("\xc3\xa9") == QStringView(u"\u00e9");
    return utf8;
}

// A line of valid UTF-8 is UTF-8; any other line is in the system's 8-bit
// code page, or Latin-1 where there is none: an export's names reach the
// output as the export's bytes, whatever its encoding.
QString decodeLine(QByteArrayView line) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(line);
    if (!utf8.hasError()) {
        return text;
    }
    return systemCodePageIsUtf8() ? QString::fromLatin1(line) : QString::fromLocal8Bit(line);
}

// Whole lines, each ending in a line feed; in one step when all of them are
// UTF-8, as the converter's output usually is.
QString decodeLines(QByteArrayView lines) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(lines);
    if (!utf8.hasError()) {
        return text;
    }
    text.clear();
    for (qsizetype start = 0; start < lines.size();) {
        const qsizetype end = lines.indexOf('\n', start) + 1;
        text += decodeLine(lines.sliced(start, end - start));
        start = end;
    }
    return text;
}

}  // namespace

DetailsLog::DetailsLog(QPlainTextEdit* view, QObject* parent) : QObject(parent), view(view) {
    view->document()->setUndoRedoEnabled(false);
    batch.setSingleShot(true);
    batch.setInterval(kBatchInterval);
    connect(&batch, &QTimer::timeout, this, [this] { showLines(pending.lastIndexOf('\n') + 1); });
}

void DetailsLog::setText(const QString& text) {
    batch.stop();
    pending.clear();
    linesInBlock = 0;
    lastLine.clear();
    view->setPlainText(text);
}

void DetailsLog::appendParagraph(const QString& text) {
    flushOutput();
    insertAtEnd(QLatin1Char('\n') + text);
    linesInBlock = 0;
}

void DetailsLog::appendOutput(const QByteArray& bytes) {
    pending += bytes;
    if (!batch.isActive()) {
        batch.start();
    }
}

void DetailsLog::flushOutput() {
    batch.stop();
    if (!pending.isEmpty() && !pending.endsWith('\n')) {
        pending += '\n';
    }
    showLines(pending.size());
}

// Shows the complete lines in pending[0, end) in one edit of the document.
void DetailsLog::showLines(qsizetype end) {
    if (end <= 0) {
        return;
    }
    // Whole lines only: no character is cut at a line feed, and each line is
    // decoded by itself.
    const QString lines = decodeLines(QByteArrayView(pending.constData(), end));
    pending.remove(0, end);
    QString text;
    text.reserve(lines.size() + 1);
    for (qsizetype start = 0; start < lines.size();) {
        const qsizetype lineEnd = lines.indexOf(QLatin1Char('\n'), start);
        qsizetype length = lineEnd - start;
        if (length > 0 && lines.at(lineEnd - 1) == QLatin1Char('\r')) {
            --length;
        }
        if (linesInBlock == 0 || linesInBlock == kLinesPerBlock) {
            text += QLatin1Char('\n');  // a new paragraph
            linesInBlock = 0;
        } else {
            text += QChar::LineSeparator;
        }
        const QStringView line = QStringView(lines).mid(start, length);
        text += line;
        if (!line.trimmed().isEmpty()) {
            lastLine = line.toString();
        }
        ++linesInBlock;
        start = lineEnd + 1;
    }
    insertAtEnd(text);
}

// Inserts text that starts with a paragraph break at the end of the log.
void DetailsLog::insertAtEnd(QString text) {
    if (view->document()->isEmpty()) {
        text.remove(0, 1);  // no paragraph before the first
    }
    // A view that shows the end of the log keeps showing it.
    QScrollBar* bar = view->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    QTextCursor cursor(view->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    if (atEnd) {
        bar->setValue(bar->maximum());
    }
}

}  // namespace tessaly::wizard
