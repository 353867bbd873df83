// Helpers shared by the wizard's tests: a scratch current directory (the
// wizard reads and writes settings.txt there) and small file makers.
#pragma once

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QTemporaryDir>

// Makes a fresh temporary folder the current directory for its lifetime.
class ScratchDirectory {
  public:
    ScratchDirectory() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
    ~ScratchDirectory() { QDir::setCurrent(previous_); }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }

    // Creates a file (and its folders) with the given bytes; returns its path.
    QString makeFile(const QString& name, const QByteArray& bytes = QByteArray()) const {
        const QString path = filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(bytes);
        }
        return path;
    }

    QString makeFolder(const QString& name) const {
        QDir().mkpath(filePath(name));
        return filePath(name);
    }

    QByteArray read(const QString& name) const {
        QFile file(filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

  private:
    QString previous_;
    QTemporaryDir dir_;
};

inline QColor textColour(const QWidget* widget) {
    return widget->palette().color(QPalette::Text);
}

// The reason a field shows for not being accepted: the text of a label
// inside the field, clear of the field's own text; empty when it shows none.
inline QString reasonShown(const QLineEdit* edit) {
    for (const QLabel* label : edit->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(edit) || label->text().isEmpty()) {
            continue;
        }
        const bool inside = QRect(QPoint(), edit->size()).contains(label->geometry());
        const bool clear = edit->width() - edit->textMargins().right() <= label->x();
        return inside && clear ? label->text() : QStringLiteral("(misplaced) ") + label->text();
    }
    return QString();
}
