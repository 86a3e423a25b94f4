// Every file the save command writes, with the real encoder and the real converter loaded by name
// as the tool loads them, decodes back to the link.
#include "FakeHost.h"
#include "LazyLibrary.h"
#include "MainWindow.h"
#include "QrDecode.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using testsupport::FakeHost;

namespace {

struct RealLibraries : ::testing::Test {
    FakeHost host;
    // Where the build puts the two libraries, unless the environment names another folder.
    QStringList bin{qEnvironmentVariable("LUMO_BIN_DIR", QStringLiteral(LUMO_TEST_BIN_DIR))};
    host::LazyLibrary encoderLib{QStringLiteral("QRCodeLib"), bin};
    host::LazyLibrary converterLib{QStringLiteral("Lumo_Image_BmpJpg"), bin};

    RealLibraries() {
        host.encoder = [this](const QByteArray& text, const QByteArray& path) {
            using Fn = int32_t (*)(const char*, const char*);
            return reinterpret_cast<Fn>(encoderLib.entry("FastQRCode"))(text.constData(), path.constData());
        };
        host.converter = [this](const QByteArray& bmp, const QByteArray& jpg, int quality, int flag) {
            using Fn = int32_t (*)(const char*, const char*, int32_t, int32_t);
            return reinterpret_cast<Fn>(converterLib.entry("LIBmpToJpg"))(bmp.constData(), jpg.constData(), quality,
                                                                           flag);
        };
    }
};

TEST_F(RealLibraries, EverySavedFileDecodesToTheLink) {
    ASSERT_FALSE(bin[0].isEmpty()) << "LUMO_BIN_DIR";
    const QString shortLink = QStringLiteral("https://exemple.fr/?q=été");
    QString longLink = QStringLiteral("https://www.exemple.fr/catalogue/produits/?référence=");
    while (longLink.size() < 300)
        longLink += QStringLiteral("0123456789abcdefghij-");
    struct Type {
        int index;
        QString ratio; // answer to the ratio question, type 5 only
        QString name;
    };
    const std::vector<Type> types = {
        {1, {}, "qr.bmp"}, {2, {}, "q100.jpg"}, {3, {}, "q80.jpg"}, {4, {}, "q50.jpg"}, {5, "20", "q20.jpg"}};
    lumo::MainWindow window(host);
    auto* field = window.findChild<QLineEdit*>(QStringLiteral("Text1"));
    auto* create = window.findChild<QPushButton*>(QStringLiteral("Command1"));
    auto* save = window.findChild<QPushButton*>(QStringLiteral("Command3"));
    const QString out = host.tempPath();
    for (const QString& link : {shortLink, longLink}) {
        field->setText(link);
        for (const Type& type : types) {
            SCOPED_TRACE(QStringLiteral("%1 characters, %2").arg(link.size()).arg(type.name).toStdString());
            create->click(); // each save starts from the encoder's picture, not an earlier JPEG
            host.saveAnswers.push_back([&](host::SaveDialog& dialog) {
                dialog.fileName = out + u'/' + type.name;
                dialog.fileTitle = type.name;
                dialog.typeIndex = type.index;
            });
            if (!type.ratio.isEmpty())
                host.textAnswers.push_back(type.ratio);
            save->click();
            ASSERT_TRUE(host.messages.empty()) << host.messages[0].text.toStdString();
            const QString file = out + u'/' + type.name;
            const QImage saved(file);
            ASSERT_EQ(saved.size(), QSize(201, 201));
            EXPECT_EQ(testsupport::zxingDecode(saved), link.toStdString());
            EXPECT_EQ(testsupport::zbarDecodeFile(file), link.toStdString());
        }
    }
    // The largest text a code holds has one-pixel modules: lossless and near-lossless files still read.
    const QString largest = QStringLiteral("https://") + QString(2945, u'x');
    field->setText(largest);
    for (const Type& type : {types[0], types[1]}) {
        SCOPED_TRACE(type.name.toStdString());
        create->click();
        host.saveAnswers.push_back([&](host::SaveDialog& dialog) {
            dialog.fileName = out + u'/' + type.name;
            dialog.fileTitle = type.name;
            dialog.typeIndex = type.index;
        });
        save->click();
        EXPECT_EQ(testsupport::zxingDecode(QImage(out + u'/' + type.name)), largest.toStdString());
    }
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(QFile::exists(out + "/Temp.bmp"));
}

} // namespace
