#include "details_log.h"

#include <QPlainTextEdit>
#include <QScrollBar>
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
    // Whole lines only: no character of the encoding is cut at a line feed.
    const QString lines = QString::fromLocal8Bit(pending.constData(), end);
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
        text += QStringView(lines).mid(start, length);
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
