#include "app/qt/main_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/qt/failure_list.h"
#include "app/qt/folder_browser.h"
#include "app/qt/qt_text.h"
#include "app/qt/translations.h"
#include "app/save_directory.h"
#include "qt_helpers.h"
#include "testing/temp_dir.h"
#include "values/literal.h"
#include "values/value_ops.h"

namespace qimbra {
namespace {

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { SetSaveDirectory(Text()); }
    void TearDown() override { ReplaceFolderBrowser({}); }

    template <class W>
    W* Control(const char* name) {
        return window_.findChild<W*>(Q(name));
    }

    MainWindow window_;
};

TEST_F(MainWindowTest, CaptionGeometryAndControlsInOrder) {
    window_.show();
    EXPECT_EQ(window_.windowTitle(), Q("Qimbra采集器"));
    EXPECT_EQ(window_.pos(), QPoint(50, 50));
    EXPECT_EQ(window_.size(), QSize(380, 250));

    struct Case {
        const char* name;
        const char* class_name;
        QRect geometry;
        QString text;
    };
    const Case cases[] = {
        {"按钮_采集", "QPushButton", QRect(264, 128, 96, 48), Q("开始采集")},
        {"标签1", "QLabel", QRect(32, 112, 80, 24), Q("文件地址")},
        {"编辑框1", "QLineEdit", QRect(32, 136, 192, 24), ToQString(DefaultSaveFolderText())},
        {"按钮2", "QPushButton", QRect(264, 64, 96, 48), Q("选择保存目录")},
        {"选择框_跳过", "QCheckBox", QRect(32, 24, 200, 24), Q("跳过已保存的图片")},
        {"标签_进度", "QLabel", QRect(32, 184, 328, 24), QString()},                   // empty until a run reports
        {"按钮_查看失败", "QPushButton", QRect(264, 212, 96, 28), Q("查看失败")},      // shown after failures
        {"按钮_打开文件夹", "QPushButton", QRect(160, 212, 96, 28), Q("打开文件夹")},  // shown after a run
    };
    const QList<QWidget*> controls = window_.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(controls.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        QWidget* control = controls.at(qsizetype(i));
        EXPECT_EQ(control->objectName(), Q(c.name));
        EXPECT_STREQ(control->metaObject()->className(), c.class_name);
        EXPECT_EQ(control->geometry(), c.geometry);
        EXPECT_EQ(control->isVisible(),
                  control->objectName() != Q("按钮_查看失败") && control->objectName() != Q("按钮_打开文件夹"));
        QString text;
        if (auto* button = qobject_cast<QAbstractButton*>(control)) text = button->text();
        if (auto* label = qobject_cast<QLabel*>(control)) text = label->text();
        if (auto* box = qobject_cast<QLineEdit*>(control)) text = box->text();
        EXPECT_EQ(text, c.text);
    }
}

TEST_F(MainWindowTest, BoxTextIsReadableAnywhereAndNotCopiedIntoSaveDirectory) {
    EXPECT_EQ(ReadSaveFolderBox(), DefaultSaveFolderText());
    EXPECT_TRUE(SaveDirectory().empty());

    auto* box = Control<QLineEdit>("编辑框1");
    ASSERT_NE(box, nullptr);
    box->clear();
    QTest::keyClicks(box, "/tmp/typed");
    EXPECT_EQ(ReadSaveFolderBox(), Text("/tmp/typed"));
    box->setText(Q("/tmp/图片"));
    EXPECT_EQ(ReadSaveFolderBox(), Cp936("/tmp/图片"));
    EXPECT_TRUE(SaveDirectory().empty());
}

// The pictures folder when it exists, else the home folder.
TEST(DefaultSaveFolderText, PicturesFolderOrHome) {
    const testing::TempDir home;
    const QByteArray old_home = qgetenv("HOME");
    const QByteArray old_config = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QByteArray::fromStdString(home.path()));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(home.Child("config")));

    EXPECT_EQ(DefaultSaveFolderText(), ConcatText(Text(home.path()), Cp936("/Veloni采集图片")));
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(home.Child("Pictures"))));
    EXPECT_EQ(DefaultSaveFolderText(), ConcatText(Text(home.Child("Pictures")), Cp936("/Veloni采集图片")));

    qputenv("HOME", old_home);
    if (old_config.isNull()) {
        qunsetenv("XDG_CONFIG_HOME");
    } else {
        qputenv("XDG_CONFIG_HOME", old_config);
    }
}

// A choice replaces SaveDirectory and the box; a cancel leaves both as they
// were.
TEST_F(MainWindowTest, ChoosingReplacesSaveDirectoryAndBoxCancellingKeepsThem) {
    struct Case {
        const char* label;
        Text chosen;
        Text expected;
    };
    const Case cases[] = {{"chosen", Cp936("/data/相册"), Cp936("/data/相册")},
                          {"cancelled", Text(), Text("/earlier")}};
    window_.show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        SetSaveDirectory(Text("/earlier"));
        Control<QLineEdit>("编辑框1")->setText(Q("/earlier"));
        std::optional<Text> asked_title;
        ReplaceFolderBrowser([&](QWidget*, const Text& title, const Text&) {
            asked_title = title;
            return c.chosen;
        });
        QTest::mouseClick(Control<QPushButton>("按钮2"), Qt::LeftButton);
        EXPECT_EQ(asked_title, Cp936("请选择保存文件夹："));
        EXPECT_EQ(SaveDirectory(), c.expected);
        EXPECT_EQ(ReadSaveFolderBox(), c.expected);
        EXPECT_EQ(Control<QLineEdit>("编辑框1")->text(), ToQString(c.expected));
    }
}

// The browser opens at the box's folder, or the nearest parent that exists.
TEST_F(MainWindowTest, BrowserOpensAtTheBoxsFolder) {
    const testing::TempDir root;
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(root.Child("有/子"))));
    struct Case {
        std::string box;
        std::string start;
    };
    const Case cases[] = {
        {root.Child("有/子"), root.Child("有/子")},
        {root.Child("有/子/还没有/更深"), root.Child("有/子")},
        {"  " + root.Child("有") + "  ", root.Child("有")},
    };
    window_.show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        Control<QLineEdit>("编辑框1")->setText(QString::fromStdString(c.box));
        std::optional<Text> asked_start;
        ReplaceFolderBrowser([&](QWidget*, const Text&, const Text& start) {
            asked_start = start;
            return Text();
        });
        QTest::mouseClick(Control<QPushButton>("按钮2"), Qt::LeftButton);
        EXPECT_EQ(asked_start, Cp936(c.start));
    }
}

// The list holds every failure, however many: the table asks the model only
// for the rows it shows.
TEST(FailureList, HoldsEveryFailure) {
    std::vector<RunFailure> failures;
    for (int i = 1; i <= 20000; ++i) {
        failures.push_back({.entry_title = Cp936("组"),
                            .image_number = i,
                            .address = Text("https://i/x.jpeg"),
                            .reason = Cp936("超时")});
    }
    QDialog* dialog = ShowFailureList(nullptr, failures);
    QAbstractItemModel* rows = dialog->findChild<QTableView*>(Q("列表_失败"))->model();
    EXPECT_EQ(rows->rowCount(), 20000);
    EXPECT_EQ(rows->data(rows->index(19999, 1)).toString(), Q("20000"));
    EXPECT_EQ(rows->data(rows->index(19999, 3)).toString(), Q("超时"));
    EXPECT_EQ(rows->headerData(2, Qt::Horizontal).toString(), Q("地址"));
    dialog->close();
}

// Qt's own dialog texts in Chinese when the user's language has none.
TEST(QtTranslations, DialogButtonsReadInChinese) {
    ASSERT_TRUE(InstallQtTranslations(*QCoreApplication::instance()));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), Q("取消"));
}

TEST_F(MainWindowTest, StartButtonWithoutRunSettingsDoesNothing) {
    window_.show();
    Control<QLineEdit>("编辑框1")->setText(Q("  relative  "));
    QTest::mouseClick(Control<QPushButton>("按钮_采集"), Qt::LeftButton);
    EXPECT_TRUE(SaveDirectory().empty());
    EXPECT_EQ(Control<QLineEdit>("编辑框1")->text(), Q("  relative  "));
    EXPECT_TRUE(Control<QLabel>("标签_进度")->text().isEmpty());
}

// The real dialog: its title and options, and what it gives back for a
// choice, a cancel and a folder that code page 936 cannot name.
TEST(FolderBrowserDialog, ReturnsTheChosenPathOrNothing) {
#ifdef __SANITIZE_THREAD__
    // The dialog's file system model runs threads of Qt's own, whose futex
    // based locks a Qt built without ThreadSanitizer hides from it.
    GTEST_SKIP() << "Qt's file dialog threads are opaque to ThreadSanitizer";
#endif
    const testing::TempDir root;
    struct Case {
        const char* label;
        const char* folder;                 // UTF-8; nullptr cancels
        std::optional<Text> expected_tail;  // nothing: no result at all
    };
    const Case cases[] = {
        {"chosen", "相册", Cp936("/相册")},
        {"cancelled", nullptr, Text()},
        {"not nameable in code page 936", "\xF0\x9F\x93\xB7", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        QString folder;
        if (c.folder != nullptr) {
            folder = QString::fromStdString(root.path()) + "/" + Q(c.folder);
            ASSERT_TRUE(QDir().mkpath(folder));
        }
        QString seen_title;
        bool dirs_only = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<QFileDialog*>(widget);
                if (dialog == nullptr || !dialog->isVisible()) continue;
                poll.stop();
                seen_title = dialog->windowTitle();
                dirs_only =
                    dialog->testOption(QFileDialog::ShowDirsOnly) && dialog->fileMode() == QFileDialog::Directory;
                if (folder.isEmpty()) {
                    dialog->reject();
                } else {
                    dialog->setDirectory(folder);
                    QMetaObject::invokeMethod(dialog, "accept");
                }
            }
        });
        poll.start(10);
        const std::optional<Text> result = BrowseForFolder(nullptr, Cp936("请选择保存文件夹："));
        EXPECT_EQ(seen_title, Q("请选择保存文件夹："));
        EXPECT_TRUE(dirs_only);
        if (!c.expected_tail) {
            EXPECT_EQ(result, std::nullopt);
        } else if (c.expected_tail->empty()) {
            EXPECT_EQ(result, Text());
        } else {
            EXPECT_EQ(result, ConcatText(Text(root.path()), *c.expected_tail));
        }
    }
}

// For people: QIMBRA_SCREENSHOT=<file.png> saves the window as it looks.
TEST_F(MainWindowTest, SavesScreenshotWhenAsked) {
    const char* path = std::getenv("QIMBRA_SCREENSHOT");
    if (path == nullptr || *path == '\0') {
        GTEST_SKIP() << "set QIMBRA_SCREENSHOT=<file.png> to save the window";
    }
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    EXPECT_TRUE(window_.grab().save(QString::fromLocal8Bit(path), "PNG"));
}

}  // namespace
}  // namespace qimbra
