// The details log on the wizard's last page: the summary before a run, then
// the run's header, the converter's output line by line, and the wizard's
// own lines. Output is shown in batches, so a converter that prints a
// million lines is not slowed down by the view.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class QPlainTextEdit;

namespace tessaly::wizard {

class DetailsLog : public QObject {
    Q_OBJECT
  public:
    explicit DetailsLog(QPlainTextEdit* view, QObject* parent = nullptr);

    // Replaces the whole log; output not shown yet is dropped.
    void setText(const QString& text);
    // Adds a line of the wizard's own as a new paragraph, after all output
    // received so far.
    void appendParagraph(const QString& text);
    // Takes bytes of the converter's output as they arrive, however they are
    // cut: each complete line is shown once, on a line of its own, within a
    // batch interval. A line of valid UTF-8 is read as UTF-8, any other in
    // the system's 8-bit code page (Latin-1 where that is UTF-8); a line may
    // end in LF or CR LF.
    void appendOutput(const QByteArray& bytes);
    // Shows all output received so far, an unfinished last line included.
    void flushOutput();
    // The last line of output shown that is not blank; empty before any.
    QString lastOutputLine() const { return lastLine; }

  private:
    void showLines(qsizetype end);
    void insertAtEnd(QString text);

    QPlainTextEdit* view;
    QByteArray pending;    // output received but not shown yet
    int linesInBlock = 0;  // output lines in the log's last paragraph
    QString lastLine;
    QTimer batch;
};

}  // namespace tessaly::wizard
