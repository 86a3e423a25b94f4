// Save dialog and input box of the real host.
#include "QtHost.h"

#include "BuildInfo.h"
#include "Platform.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

namespace host {

namespace {

// "description|pattern|description|pattern..." as the name filters QFileDialog takes. A
// description that does not already end with its pattern in brackets gets it appended, so the
// dialog always filters on the pattern given. One that does, in either case, is shown as it is:
// the dialog matches file names regardless of case, so "(*.PNG)" lists "qr.png".
QStringList nameFilters(const QString& filter) {
    QStringList result;
    const QStringList fields = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
        const QString& description = fields[i];
        const QString& pattern = fields[i + 1];
        const QString bracketed = u'(' + pattern + u')';
        const bool named = description.trimmed().endsWith(bracketed, Qt::CaseInsensitive);
        result << (named ? description : description + u' ' + bracketed);
    }
    return result;
}

// 0-based position of the type chosen. QFileDialog folds the blanks of the names it holds, so the
// position is read from the type list itself, never found by comparing names with ours.
int chosenType(const QFileDialog& dialog) {
    if (const auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
        return types->currentIndex();
    return static_cast<int>(dialog.nameFilters().indexOf(dialog.selectedNameFilter()));
}

} // namespace

void QtHost::chooseSaveFile(SaveDialog& properties) {
    speakFrench();
    QFileDialog dialog(QApplication::activeWindow(), properties.title);
    dialog.setOption(QFileDialog::DontUseNativeDialog, !platform::nativeFileDialogs());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite,
                     !(properties.flags & SaveDialog::askBeforeOverwrite));

    const QStringList filters = nameFilters(properties.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = std::clamp(properties.typeIndex, 1, static_cast<int>(filters.size()));
        // The dialog's own copy of the name, as it folded it; selected before the file name,
        // since in a save dialog choosing a type rewrites the extension of the name shown.
        dialog.selectNameFilter(dialog.nameFilters().value(index - 1));
    }
    if (!properties.fileName.isEmpty()) {
        const QFileInfo start(properties.fileName);
        if (start.dir().exists())
            dialog.setDirectory(start.absolutePath());
        dialog.selectFile(start.fileName());
    }

    if (dialog.exec() != QDialog::Accepted) {
        if (properties.cancelThrows)
            throw Cancelled();
        return;
    }
    const QString chosen = dialog.selectedFiles().value(0);
    properties.fileName = chosen;
    properties.fileTitle = QFileInfo(chosen).fileName();
    if (!filters.isEmpty())
        properties.typeIndex = std::max(0, chosenType(dialog)) + 1;
}

std::optional<QString> QtHost::askText(const QString& prompt, const QString& title, const QString& defaultText) {
    speakFrench();
    QInputDialog box(QApplication::activeWindow());
    box.setWindowTitle(title.isEmpty() ? lumo::build::title : title);
    box.setInputMode(QInputDialog::TextInput);
    box.setLabelText(prompt);
    box.setTextValue(defaultText);
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return box.textValue();
}

bool QtHost::askYesNo(const QString& text, const QString& title) {
    speakFrench();
    QMessageBox box(QMessageBox::Question, title.isEmpty() ? lumo::build::title : title, text,
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

} // namespace host
