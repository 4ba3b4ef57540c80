// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Application.h"
#include "app/MainForm.h"
#include "app/Program.h"
#include "forms/DialogQuestions.h"
#include "platform/Paths.h"
#include "support/ScriptedQuestions.h"
#include "support/TestFolder.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// How far a screenshot may stray from its reference: a pixel counts as changed when a colour channel moves by more
// than ChannelTolerance, and at most ChangedShare of the pixels may change. A control that moves or a caption
// that changes changes far more.
constexpr int ChannelTolerance = 48;
constexpr double ChangedShare = 0.002;

// The text scaling the windows are shown at, "1" or "1.5": the program's --scale argument.
QString& Scale() {
    static QString scale = QStringLiteral("1");
    return scale;
}

double ChangedPixels(const QImage& shot, const QImage& reference) {
    const QImage a = shot.convertToFormat(QImage::Format_ARGB32);
    const QImage b = reference.convertToFormat(QImage::Format_ARGB32);
    qint64 changed = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* lineA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* lineB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = lineA[x], q = lineB[x];
            if (std::abs(qRed(p) - qRed(q)) > ChannelTolerance || std::abs(qGreen(p) - qGreen(q)) > ChannelTolerance ||
                std::abs(qBlue(p) - qBlue(q)) > ChannelTolerance)
                ++changed;
        }
    }
    return static_cast<double>(changed) / (static_cast<double>(a.width()) * a.height());
}

// Compares `window` as shown with its reference picture; QUENDRY_UPDATE_SCREENS=1 rewrites the reference instead.
void ExpectLooksLikeItsReference(QWidget& window, const QString& name) {
    const QImage shot = window.grab().toImage();
    const QString file = QStringLiteral("%1@%2.png").arg(name, Scale());
    const QDir references(QStringLiteral(QUENDRY_SCREENS));
    if (qEnvironmentVariableIntValue("QUENDRY_UPDATE_SCREENS") == 1) {
        EXPECT_TRUE(shot.save(references.filePath(file))) << file.toStdString();
        return;
    }
    const QImage reference(references.filePath(file));
    ASSERT_FALSE(reference.isNull()) << "no reference " << file.toStdString()
                                     << " (tests/update-screens.sh writes the references)";
    const QString actual = QDir::current().filePath(QStringLiteral("actual-") + file);
    ASSERT_EQ(shot.size(), reference.size()) << file.toStdString() << ", saved as " << actual.toStdString()
                                             << (shot.save(actual) ? "" : " (could not save)");
    const double changed = ChangedPixels(shot, reference);
    EXPECT_LE(changed, ChangedShare) << file.toStdString() << ": " << changed * 100
                                     << " % of the pixels changed; saved as " << actual.toStdString()
                                     << (shot.save(actual) ? "" : " (could not save)");
}

bool IsField(const QWidget* widget) {
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget) || qobject_cast<const QAbstractButton*>(widget) ||
           qobject_cast<const QSlider*>(widget) || qobject_cast<const QListWidget*>(widget) ||
           qobject_cast<const QPlainTextEdit*>(widget);
}

QString Describe(const QWidget* widget, const QString& text) {
    return QStringLiteral("%1 \"%2\"").arg(widget->objectName(), text);
}

// Every caption of `window` shows whole, and no label's text comes within 2 pixels of a field beside it.
QStringList CaptionFaults(const QWidget& window) {
    QStringList faults;
    for (const QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&window))
            continue;
        const QFontMetrics metrics = widget->fontMetrics();
        if (const auto* label = qobject_cast<const QLabel*>(widget); label && !label->text().isEmpty()) {
            if (label->wordWrap() || label->text().contains(u'\n') || !label->pixmap().isNull())
                continue;
            const QSize text(metrics.horizontalAdvance(label->text()), metrics.height());
            if (text.width() > label->contentsRect().width())
                faults << QStringLiteral("cut: ") + Describe(label, label->text());
            const QRect drawn = QStyle::alignedRect(Qt::LeftToRight, label->alignment(), text, label->geometry());
            for (const QWidget* sibling : label->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (sibling != label && sibling->isVisibleTo(&window) && IsField(sibling) &&
                    drawn.adjusted(-2, 0, 2, 0).intersects(sibling->geometry()))
                    faults << QStringLiteral("touches %1: ").arg(sibling->objectName()) +
                                  Describe(label, label->text());
            }
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget);
                   button && !button->text().isEmpty()) {
            QString text = button->text();
            text.remove(u'&');
            const int room =
                qobject_cast<const QPushButton*>(button)
                    ? metrics.horizontalAdvance(text) + button->iconSize().width() * !button->icon().isNull() + 8
                    : button->sizeHint().width();
            if (room > button->width())
                faults << QStringLiteral("cut: ") + Describe(button, text);
        } else if (const auto* group = qobject_cast<const QGroupBox*>(widget); group && !group->title().isEmpty()) {
            if (metrics.horizontalAdvance(group->title()) + 8 > group->width())
                faults << QStringLiteral("cut: ") + Describe(group, group->title());
        } else if (const auto* tabs = qobject_cast<const QTabBar*>(widget)) {
            for (int i = 0; i < tabs->count(); ++i) {
                if (tabs->tabRect(i).width() < metrics.horizontalAdvance(tabs->tabText(i)) + 8)
                    faults << QStringLiteral("cut: ") + Describe(tabs, tabs->tabText(i));
            }
        }
    }
    return faults;
}

// The whole program on a first start, with the fixed font the references were made with.
class ScreensTest : public testing::Test {
protected:
    void SetUp() override {
        SetUpApplication(*qApp);
        QApplication::setCursorFlashTime(0); // a text cursor that does not blink looks the same in every picture
        SetProgramFolderOverride(program_.Path());
        program_.Write("maps.ini", "mp_harbor=[dm] [bhm]\r\nmp_carentan=[sd] [bhm]\r\n");
        instance_ = std::make_unique<TProgram>();
    }
    void TearDown() override {
        instance_.reset();
        SetProgramFolderOverride(std::nullopt);
    }

    QWidget& Window(const char* formName) const {
        for (TForm* form : ApplicationForms())
            if (form->Name() == QLatin1String(formName))
                return form->Window();
        throw std::runtime_error(formName);
    }

    void Check(QWidget& window, const QString& name) {
        SCOPED_TRACE(name.toStdString());
        QApplication::processEvents();
        EXPECT_EQ(CaptionFaults(window).join(QStringLiteral("\n")).toStdString(), "");
        ExpectLooksLikeItsReference(window, name);
    }

    // A dialog shown the way the main window shows it, over the main window.
    // Opens the dialog `formName` as the administrator does, through `opener`, a control of the main window, and
    // checks it while it is shown.
    void CheckDialog(const char* formName, const QString& name, const char* opener) {
        TMainForm& main = instance_->MainForm();
        main.show();
        QTimer::singleShot(0, [&] {
            auto& dialog = static_cast<QDialog&>(Window(formName));
            Check(dialog, name);
            dialog.reject();
        });
        if (auto* action = main.findChild<QAction*>(QLatin1String(opener)))
            action->trigger();
        else
            main.Find<QPushButton>(QLatin1String(opener))->click();
    }

    ScriptedQuestions questions_;
    TestFolder program_;
    std::unique_ptr<TProgram> instance_;
};

TEST_F(ScreensTest, MainWindowPages) {
    TMainForm& main = instance_->MainForm();
    auto* gametype = main.Find<QComboBox>(QStringLiteral("g_gametype"));
    gametype->addItems({QStringLiteral("dm"), QStringLiteral("sd"), QStringLiteral("bhm")});
    gametype->setCurrentIndex(1);
    main.show();
    auto* pages = main.Find<QTabWidget>(QStringLiteral("PageControl1"));
    const char* names[] = {"main-general", "main-weapons", "main-effects", "main-maps"};
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        Check(main, QString::fromLatin1(names[page]));
    }
}

// Room for a title bar above the window (about 25 pixels at 100 % under the usual window managers).
constexpr int TitleBarRoom = 30;

TEST_F(ScreensTest, TheRunLogShowsItsLastLinesWholeAboveTheStatusLine) {
    TMainForm& main = instance_->MainForm();
    main.show();
    // With its title bar it fits 1366 x 768 with a panel, and 1920 x 1080 at 150 %.
    EXPECT_LE((main.height() + TitleBarRoom) * Scale().toDouble(), Scale() == QLatin1String("1") ? 700 : 1080);
    for (int i = 1; i <= 12; ++i)
        main.Log(QStringLiteral("Step %1 : done").arg(i));
    main.Log(QStringLiteral("ERROR: Couldn't load default.cfg, and the server stopped at start (exit code 1)"));
    main.Find<QLabel>(QStringLiteral("LabelStatus"))
        ->setText(QStringLiteral("Server status : Brisela, mp_harbor, sd, 3 players"));
    QApplication::processEvents();
    auto* log = main.Find<QPlainTextEdit>(QStringLiteral("MemoLog"));
    int whole = 0; // the lines of text that show whole; a long line wraps to several
    for (QTextBlock block = log->document()->begin(); block.isValid(); block = block.next()) {
        QTextCursor end(block);
        end.movePosition(QTextCursor::EndOfBlock);
        if (log->cursorRect(QTextCursor(block)).top() >= 0 && log->cursorRect(end).bottom() < log->viewport()->height())
            whole += block.lineCount();
    }
    EXPECT_GE(whole, 10);
    QTextCursor last(log->document()->lastBlock());
    last.movePosition(QTextCursor::EndOfBlock);
    EXPECT_LT(log->cursorRect(last).bottom(), log->viewport()->height()) << "the last line is cut";
    Check(main, QStringLiteral("main-run-log"));
}

TEST_F(ScreensTest, AQuestionShowsItsIconItsWholeCaptionAndWhatItIsAbout) {
    QWidget& main = instance_->MainForm();
    main.show();
    QTimer::singleShot(0, [this] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        Check(*box, QStringLiteral("question"));
        box->close();
    });
    DialogQuestions dialogs;
    dialogs.AskYesNo(QStringLiteral("Delete line?\n\nseta sv_hostname \"^1Brisela\""));
}

TEST_F(ScreensTest, FogDialog) {
    CheckDialog("FogForm", QStringLiteral("fog-settings"), "FogButton");
}

TEST_F(ScreensTest, MessagesDialog) {
    CheckDialog("MsgForm", QStringLiteral("msg-settings"), "MessageButton");
}

TEST_F(ScreensTest, NewSettingDialog) {
    // The dialog opens for a selected line of the advanced list.
    auto* lines = instance_->MainForm().Find<QListWidget>(QStringLiteral("ListBoxCfg"));
    lines->addItem(QStringLiteral("set sv_hostname \"Quendry\""));
    lines->setCurrentRow(0);
    CheckDialog("FormNewSetting", QStringLiteral("new-setting"), "ButtonInsertSetting");
}

TEST_F(ScreensTest, AboutBox) {
    CheckDialog("AboutForm", QStringLiteral("about-box"), "About1");
}

} // namespace

// Fixes the font and the scaling before the application exists: FONTCONFIG_FILE shows it only DejaVu Sans, and
// --scale=1.5 scales every window as QT_SCALE_FACTOR does.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i)
        if (const QByteArray argument(argv[i]); argument.startsWith("--scale="))
            Scale() = QString::fromLatin1(argument.mid(8));
    qputenv("FONTCONFIG_FILE", QUENDRY_TEST_FONTS);
    qputenv("QT_SCALE_FACTOR", Scale().toLatin1());
    // A screen of 1920 x 1080 pixels, where the main window has its designed size at both scales.
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" QUENDRY_TEST_SCREEN);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
