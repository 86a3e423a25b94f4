// The real host's save dialog and input box, driven as a person would: what they show, what
// they give back, the overwrite question and Cancel.
#include "Naming.h"
#include "Platform.h"
#include "QtHost.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

// Runs the action on the modal window of type T as soon as it is on screen. A window that never
// comes fails the test instead of hanging it; what is open then is closed.
template <class T>
void whenShown(std::function<void(T*)> action) {
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, action] {
        if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget()); window && window->isVisible()) {
            timer->deleteLater();
            timer->stop();
            action(window);
        } else if (clock->elapsed() > 10000) {
            timer->deleteLater();
            timer->stop();
            ADD_FAILURE() << "expected window did not appear";
            if (auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                open->reject();
        }
    });
    timer->start(10);
}

void chooseType(QFileDialog* dialog, int position) {
    auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    types->setCurrentIndex(position);
    emit types->activated(position); // what a click in the list sends
}

QStringList typesShown(QFileDialog* dialog) {
    QStringList shown;
    if (auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
        for (int i = 0; i < types->count(); ++i)
            shown << types->itemText(i);
    return shown;
}

// The files the list shows, once it shows the ones expected or after a while: the folder is
// read, and the type chosen applied, in the background.
QStringList filesShown(QFileDialog* dialog, const QStringList& expected) {
    auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"));
    QStringList shown;
    (void)QTest::qWaitFor([&] {
        shown.clear();
        for (int row = 0; list && row < list->model()->rowCount(list->rootIndex()); ++row)
            shown << list->model()->index(row, 0, list->rootIndex()).data().toString();
        return shown == expected;
    }, 3000);
    return shown;
}

void typeName(QFileDialog* dialog, const QString& name) {
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->setText(name);
}

struct Dialogs : ::testing::Test {
    host::QtHost host;
    QTemporaryDir dir;
    host::SaveDialog properties;

    Dialogs() {
        properties.cancelThrows = true;
        properties.title = QStringLiteral("Enregistrer Sous");
        properties.filter = exporting::saveFilter; // the save command's own types
        properties.flags = 2;
        properties.typeIndex = 1;
        properties.fileName = path(QStringLiteral("départ.bmp"));
    }
    QString path(const QString& name) const { return dir.filePath(name); }
};

TEST_F(Dialogs, SaveDialogOpensOnTheRememberedTargetAndType) {
    properties.fileName = path("qr.jpg");
    properties.typeIndex = 3;
    whenShown<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Enregistrer Sous");
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dialog->testOption(QFileDialog::DontUseNativeDialog), !host::platform::nativeFileDialogs());
        EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_TRUE(dialog->defaultSuffix().isEmpty());
        EXPECT_EQ(typesShown(dialog),
                  (QStringList{"Image en mode point (*.BMP)", "Format JPG-Ratio 100% (*.JPG)",
                               "Format JPG-Ratio 80% (*.JPG)", "Format JPG-Ratio 50% (*.JPG)",
                               "Format JPG-Ratio personnalisé (*.JPG)", "Image PNG (*.PNG)",
                               "Image vectorielle SVG (*.SVG)", "Image PNG, taille au choix (*.PNG)"}));
        EXPECT_EQ(dialog->selectedNameFilter(), "Format JPG-Ratio 80% (*.JPG)");
        EXPECT_EQ(QDir(dialog->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
        EXPECT_EQ(dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(), "qr.jpg");
        chooseType(dialog, 0);
        typeName(dialog, "sans extension");
        static_cast<QDialog*>(dialog)->accept();
    });
    host.chooseSaveFile(properties);
    EXPECT_EQ(properties.fileName, path("sans extension")); // no default extension added
    EXPECT_EQ(properties.fileTitle, "sans extension");
    EXPECT_EQ(properties.typeIndex, 1);
}

// The names fold their double blanks inside the dialog; the type comes back by its place. Each
// type shows the files of its extension, written in lower case.
TEST_F(Dialogs, EveryTypeComesBackByItsIndex) {
    for (const char* name : {"qr.bmp", "qr.jpg", "qr.png", "qr.svg"}) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QString matching[] = {"qr.bmp", "qr.jpg", "qr.jpg", "qr.jpg", "qr.jpg", "qr.png", "qr.svg", "qr.png"};
    for (int position = 0; position < 8; ++position) {
        SCOPED_TRACE(position);
        properties.typeIndex = 8 - position; // start elsewhere
        whenShown<QFileDialog>([&](QFileDialog* dialog) {
            chooseType(dialog, position);
            EXPECT_EQ(filesShown(dialog, {matching[position]}), QStringList{matching[position]});
            typeName(dialog, "qr");
            static_cast<QDialog*>(dialog)->accept();
        });
        host.chooseSaveFile(properties);
        EXPECT_EQ(properties.typeIndex, position + 1);
        EXPECT_EQ(properties.fileName, path("qr"));
    }
}

TEST_F(Dialogs, OverwriteQuestionOnlyWithFlagTwo) {
    QFile existing(path("qr.bmp"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    for (int flags : {2, 0}) {
        SCOPED_TRACE(flags);
        properties.flags = flags;
        bool asked = false;
        whenShown<QFileDialog>([&](QFileDialog* dialog) {
            typeName(dialog, "qr.bmp");
            if (flags == 2)
                whenShown<QMessageBox>([&](QMessageBox* question) {
                    asked = true;
                    EXPECT_TRUE(question->text().contains("qr.bmp"));
                    question->button(QMessageBox::Yes)->click();
                });
            static_cast<QDialog*>(dialog)->accept();
        });
        host.chooseSaveFile(properties);
        EXPECT_EQ(asked, flags == 2);
        EXPECT_EQ(properties.fileName, path("qr.bmp"));
    }
}

TEST_F(Dialogs, CancelFailsOnlyWithCancelThrows) {
    properties.fileName = path("avant.bmp");
    whenShown<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_THROW(host.chooseSaveFile(properties), host::Cancelled);

    properties.cancelThrows = false;
    whenShown<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_NO_THROW(host.chooseSaveFile(properties));
    EXPECT_EQ(properties.fileName, path("avant.bmp"));
    EXPECT_EQ(properties.typeIndex, 1);
}

TEST_F(Dialogs, AskTextOffersTheDefaultAndGivesTheAnswerOrNothing) {
    whenShown<QInputDialog>([](QInputDialog* box) {
        EXPECT_EQ(box->windowTitle(), "Valeur du ratio de compression");
        EXPECT_EQ(box->labelText(), "Indiquez le ratio de compression (20-100) pour le fichier qr.jpg.");
        EXPECT_EQ(box->textValue(), "100");
        box->setTextValue(" 7 5");
        box->accept();
    });
    EXPECT_EQ(host.askText("Indiquez le ratio de compression (20-100) pour le fichier qr.jpg.",
                           "Valeur du ratio de compression", "100"),
              " 7 5");
    whenShown<QInputDialog>([](QInputDialog* box) {
        box->setTextValue("50");
        box->reject();
    });
    EXPECT_EQ(host.askText("?", "Valeur du ratio de compression", "abc"), std::nullopt);
    // The question about a renamed target: Non unless the person says Oui.
    whenShown<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
        box->defaultButton()->click();
    });
    EXPECT_FALSE(host.askYesNo("Le fichier « qr.bmp » existe déjà. Voulez-vous le remplacer ?", "Enregistrer Sous"));
}

} // namespace
