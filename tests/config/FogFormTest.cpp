// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/FogForm.h"

#include "support/ScriptedQuestions.h"
#include "support/TabWalk.h"
#include "widgets/RadioGroup.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <tuple>

namespace {

// The user's locale for the life of a test.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(previous_); }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;

private:
    QLocale previous_;
};

TEST(FogFormLocaleTest, TheFirstDensityIsWrittenTheUsersWayAndReadsBackOnShowing) {
    const std::vector<std::pair<QLocale, QString>> cases = {
        {QLocale(QLocale::French, QLocale::France), QStringLiteral("0,001")},
        {QLocale(QLocale::English, QLocale::UnitedStates), QStringLiteral("0.001")},
    };
    for (const auto& [locale, density] : cases) {
        const LocaleScope scope(locale);
        ScriptedQuestions questions;
        TFogForm fog;
        EXPECT_EQ(fog.Find<QLineEdit>(QStringLiteral("prm_fog_density"))->text(), density);
        fog.show();
        EXPECT_TRUE(questions.errors.isEmpty()) << questions.errors.join(QLatin1Char('\n')).toStdString();
    }
}

TEST(FogFormLocaleTest, ADensityWrittenWithTheOtherSeparatorOpensWithoutError) {
    // What Default loads from the shipped "0,001", and what a file saved on a decimal-point system holds.
    const std::vector<std::tuple<QLocale, QString, QString>> cases = {
        {QLocale(QLocale::English, QLocale::UnitedStates), QStringLiteral("0,003"), QStringLiteral("0.003")},
        {QLocale(QLocale::French, QLocale::France), QStringLiteral("0.003"), QStringLiteral("0,003")},
    };
    for (const auto& [locale, saved, shown] : cases) {
        const LocaleScope scope(locale);
        ScriptedQuestions questions;
        TFogForm fog;
        fog.Find<QLineEdit>(QStringLiteral("prm_fog_density"))->setText(saved);
        for (int showing = 0; showing < 2; ++showing) {
            fog.show();
            fog.hide();
        }
        EXPECT_TRUE(questions.errors.isEmpty()) << questions.errors.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(fog.Find<QSlider>(QStringLiteral("TrackBar1"))->value(), 30);
        EXPECT_EQ(fog.Find<QLineEdit>(QStringLiteral("prm_fog_density"))->text(), shown);
    }
}

// Whatever separator a settings file holds, the field shows the user's, at once: Default's "0,001" leaves the
// slider where it stands, so no move of the slider rewrites it.
TEST(FogFormLocaleTest, ALoadedDensityShowsTheUsersSeparator) {
    const std::vector<std::tuple<QLocale, QString, QString>> cases = {
        {QLocale(QLocale::English, QLocale::UnitedStates), QStringLiteral("0,001"), QStringLiteral("0.001")},
        {QLocale(QLocale::English, QLocale::UnitedStates), QStringLiteral("0.002"), QStringLiteral("0.002")},
        {QLocale(QLocale::French, QLocale::France), QStringLiteral("0.001"), QStringLiteral("0,001")},
        {QLocale(QLocale::French, QLocale::France), QStringLiteral("0\u066B005"), QStringLiteral("0,005")},
    };
    for (const auto& [locale, saved, shown] : cases) {
        const LocaleScope scope(locale);
        ScriptedQuestions questions;
        TFogForm fog;
        auto* density = fog.Find<QLineEdit>(QStringLiteral("prm_fog_density"));
        density->setText(saved);
        EXPECT_EQ(density->text(), shown) << saved.toStdString();
        fog.show();
        EXPECT_EQ(density->text(), shown) << saved.toStdString();
        EXPECT_TRUE(questions.errors.isEmpty()) << questions.errors.join(QLatin1Char('\n')).toStdString();
    }
}

// The dialog under a decimal-comma locale, shown and hidden without a modal loop.
class FogFormTest : public testing::Test {
protected:
    template <class T> T* Control(const char* name) { return fog.Find<T>(QString::fromLatin1(name)); }
    QLineEdit* Field(const char* name) { return Control<QLineEdit>(name); }
    QSlider* Slider(const char* name) { return Control<QSlider>(name); }
    QColor Panel() { return Control<QFrame>("ColorPanel")->palette().color(QPalette::Window); }
    void ShowAgain() {
        fog.hide();
        fog.show();
    }

    LocaleScope locale{QLocale(QLocale::French, QLocale::France)};
    ScriptedQuestions questions;
    TFogForm fog;
};

TEST_F(FogFormTest, StartsWithItsDesignedValuesAndSliders) {
    EXPECT_EQ(fog.windowTitle(), QStringLiteral("Fog settings"));
    EXPECT_EQ(Control<TRadioGroup>("prm_fog_type")->ItemIndex(), 2);
    EXPECT_EQ(Field("prm_fog_density")->text(), QStringLiteral("0,001"));
    EXPECT_EQ(Field("prm_fog_distance")->text(), QStringLiteral("3000"));
    for (const char* component : {"prm_fog_red", "prm_fog_green", "prm_fog_blue"})
        EXPECT_EQ(Field(component)->text(), QStringLiteral("255"));
    EXPECT_TRUE(Field("prm_fog_density")->isReadOnly());
    EXPECT_TRUE(Field("prm_fog_red")->isReadOnly());
    EXPECT_FALSE(Field("prm_fog_green")->isReadOnly());
    EXPECT_FALSE(Field("prm_fog_distance")->isReadOnly());
    const QSlider* density = Slider("TrackBar1");
    EXPECT_EQ(std::tuple(density->minimum(), density->maximum(), density->value(), density->tickInterval(),
                         density->singleStep(), density->pageStep()),
              std::tuple(10, 60, 10, 10, 10, 0));
    const QSlider* distance = Slider("TrackBar2");
    EXPECT_EQ(std::tuple(distance->minimum(), distance->maximum(), distance->value(), distance->tickInterval()),
              std::tuple(3, 10, 5, 1));
}

TEST_F(FogFormTest, TheFogControlsTellTheirConsoleVariables) {
    EXPECT_EQ(Control<TRadioGroup>("prm_fog_type")->toolTip(), QStringLiteral("prm_fog_type"));
    for (const char* name : {"prm_fog_red", "prm_fog_green", "prm_fog_blue", "prm_fog_density", "prm_fog_distance"})
        EXPECT_EQ(Field(name)->toolTip(), QString::fromLatin1(name));
}

TEST_F(FogFormTest, SlidersWriteTheirFields) {
    Slider("TrackBar1")->setValue(31);
    EXPECT_EQ(Field("prm_fog_density")->text(), QStringLiteral("0,0031"));
    Slider("TrackBar2")->setValue(7);
    EXPECT_EQ(Field("prm_fog_distance")->text(), QStringLiteral("7000"));
}

TEST_F(FogFormTest, EveryDensityStepSurvivesAShowing) {
    fog.show();
    for (int position = 10; position <= 60; ++position) {
        Slider("TrackBar1")->setValue(position);
        const QString text = Field("prm_fog_density")->text();
        ShowAgain();
        EXPECT_EQ(Slider("TrackBar1")->value(), position);
        EXPECT_EQ(Field("prm_fog_density")->text(), text);
    }
    EXPECT_TRUE(questions.errors.isEmpty());
}

TEST_F(FogFormTest, TheFirstShowingMovesTheDistanceSliderFromFiveToThree) {
    EXPECT_EQ(Slider("TrackBar2")->value(), 5);
    fog.show();
    EXPECT_EQ(Slider("TrackBar2")->value(), 3);
    EXPECT_EQ(Field("prm_fog_distance")->text(), QStringLiteral("3000"));
}

// A field typed while the slider stood at `sliderBefore`, and what showing the dialog makes of them.
struct ShowCase {
    const char* slider;
    const char* field;
    int sliderBefore;
    QString typed;
    int sliderAfter;
    QString fieldAfter;
};

TEST_F(FogFormTest, ShowingNormalisesAFieldOnlyWhenItsSliderMoves) {
    const std::vector<ShowCase> cases = {
        {"TrackBar2", "prm_fog_distance", 3, QStringLiteral("3500"), 3, QStringLiteral("3500")},
        {"TrackBar2", "prm_fog_distance", 7, QStringLiteral("3500"), 3, QStringLiteral("3000")},
        {"TrackBar2", "prm_fog_distance", 3, QStringLiteral("500"), 3, QStringLiteral("500")},
        {"TrackBar2", "prm_fog_distance", 5, QStringLiteral("500"), 3, QStringLiteral("3000")},
        {"TrackBar2", "prm_fog_distance", 5, QStringLiteral("12000"), 10, QStringLiteral("10000")},
        {"TrackBar1", "prm_fog_density", 10, QStringLiteral("0,0005"), 10, QStringLiteral("0,0005")},
        {"TrackBar1", "prm_fog_density", 30, QStringLiteral("0,0005"), 10, QStringLiteral("0,001")},
        {"TrackBar1", "prm_fog_density", 30, QStringLiteral("0,05"), 60, QStringLiteral("0,006")},
    };
    for (const auto& c : cases) {
        fog.hide();
        Slider(c.slider)->setValue(c.sliderBefore);
        Field(c.field)->setText(c.typed);
        fog.show();
        EXPECT_EQ(Slider(c.slider)->value(), c.sliderAfter) << c.typed.toStdString();
        EXPECT_EQ(Field(c.field)->text(), c.fieldAfter) << c.typed.toStdString();
    }
    EXPECT_TRUE(questions.errors.isEmpty());
}

TEST_F(FogFormTest, ThePanelShowsTheLowBitsOfTheTypedColour) {
    Field("prm_fog_red")->setText(QStringLiteral("10"));
    Field("prm_fog_green")->setText(QStringLiteral("300"));
    Field("prm_fog_blue")->setText(QStringLiteral("-1"));
    fog.show();
    EXPECT_EQ(Panel(), QColor(10, 44, 255));
    EXPECT_EQ(Field("prm_fog_green")->text(), QStringLiteral("300"));
}

struct BadTextCase {
    const char* field;
    QString text;
    bool slidersSet; // whether the steps before the failure still ran
};

TEST_F(FogFormTest, ATextThatDoesNotConvertIsReportedAndTheDialogStillOpens) {
    const std::vector<BadTextCase> cases = {
        {"prm_fog_density", QStringLiteral("0.0.2"), false},
        {"prm_fog_distance", QStringLiteral("3 km"), false},
        {"prm_fog_blue", QStringLiteral("blue"), true},
        {"prm_fog_red", QString(), true},
    };
    for (const auto& c : cases) {
        TFogForm dialog;
        dialog.Find<QLineEdit>(QStringLiteral("prm_fog_distance"))->setText(QStringLiteral("8000"));
        auto* field = dialog.Find<QLineEdit>(QString::fromLatin1(c.field));
        field->setText(c.text);
        // Chosen without a click, so only the synchronisation would disable the distance controls.
        dialog.Find<TRadioGroup>(QStringLiteral("prm_fog_type"))->SetItemIndex(0);
        const QColor panelBefore = dialog.Find<QFrame>(QStringLiteral("ColorPanel"))->palette().color(QPalette::Window);
        questions.errors.clear();
        dialog.show();
        EXPECT_TRUE(dialog.isVisible()) << c.field;
        EXPECT_EQ(questions.errors, QStringList{QLatin1Char('\'') + c.text + QLatin1Char('\'') +
                                                (c.field == std::string("prm_fog_density")
                                                     ? QStringLiteral(" is not a valid floating point value")
                                                     : QStringLiteral(" is not a valid integer value"))})
            << c.field;
        EXPECT_EQ(dialog.Find<QSlider>(QStringLiteral("TrackBar2"))->value(), c.slidersSet ? 8 : 5) << c.field;
        EXPECT_EQ(dialog.Find<QFrame>(QStringLiteral("ColorPanel"))->palette().color(QPalette::Window), panelBefore)
            << c.field;
        EXPECT_TRUE(dialog.Find<QSlider>(QStringLiteral("TrackBar2"))->isEnabled()) << c.field;
        EXPECT_EQ(field->text(), c.text) << c.field;
    }
}

TEST_F(FogFormTest, TheFogTypeEnablesItsControlsAndKeepsEveryValue) {
    const auto choose = [this](int item) {
        Control<TRadioGroup>("prm_fog_type")->findChildren<QRadioButton*>().at(item)->click();
    };
    const QStringList densityControls = {QStringLiteral("TrackBar1"), QStringLiteral("HazeLabel"),
                                         QStringLiteral("prm_fog_density")};
    const QStringList distanceControls = {QStringLiteral("TrackBar2"), QStringLiteral("FogLabel"),
                                          QStringLiteral("prm_fog_distance")};
    const QStringList colourControls = {QStringLiteral("prm_fog_red"),  QStringLiteral("prm_fog_green"),
                                        QStringLiteral("prm_fog_blue"), QStringLiteral("ColorButton"),
                                        QStringLiteral("RLabel"),       QStringLiteral("GLabel"),
                                        QStringLiteral("BLabel")};
    const auto expectEnabled = [this](const QStringList& names, bool enabled, int item) {
        for (const QString& name : names)
            EXPECT_EQ(fog.Find<QWidget>(name)->isEnabled(), enabled) << name.toStdString() << " for item " << item;
    };
    Field("prm_fog_green")->setText(QStringLiteral("12"));
    for (const int item : {0, 1, 2}) {
        choose(item);
        expectEnabled(densityControls, item == 2, item);
        expectEnabled(distanceControls, item == 1, item);
        expectEnabled(colourControls, item != 0, item);
        EXPECT_EQ(Field("prm_fog_green")->text(), QStringLiteral("12"));
        EXPECT_EQ(Field("prm_fog_density")->text(), QStringLiteral("0,001"));
    }
}

TEST_F(FogFormTest, TheColourPickerStartsFromItsLastColourAndCancelChangesNothing) {
    questions.colors = {RgbColor{10, 20, 30}, std::nullopt};
    Control<QPushButton>("ColorButton")->click();
    EXPECT_EQ(Field("prm_fog_red")->text(), QStringLiteral("10"));
    EXPECT_EQ(Field("prm_fog_green")->text(), QStringLiteral("20"));
    EXPECT_EQ(Field("prm_fog_blue")->text(), QStringLiteral("30"));
    EXPECT_EQ(Panel(), QColor(10, 20, 30));
    Field("prm_fog_green")->setText(QStringLiteral("99"));
    Control<QPushButton>("ColorButton")->click();
    EXPECT_EQ(Field("prm_fog_green")->text(), QStringLiteral("99"));
    EXPECT_EQ(Panel(), QColor(10, 20, 30));
    EXPECT_EQ(questions.colorsOffered, (std::vector<RgbColor>{{0, 0, 0}, {10, 20, 30}}));
}

TEST_F(FogFormTest, EnterInAFieldNeitherPicksAColourNorClosesTheDialog) {
    fog.open(); // shown the way the main window shows it: modal, where Enter presses a default button
    for (const char* name : {"prm_fog_distance", "prm_fog_green"}) {
        SCOPED_TRACE(name);
        Field(name)->setFocus();
        for (const auto key : {Qt::Key_Return, Qt::Key_Enter})
            QTest::keyClick(Field(name), key);
        EXPECT_TRUE(fog.isVisible());
        EXPECT_TRUE(questions.colorsOffered.empty());
    }
}

TEST_F(FogFormTest, TheDialogKeepsTheSizeThatShowsItsControlsAndCannotBeMaximised) {
    fog.show();
    const QSize designed = fog.size();
    fog.resize(120, 90);
    EXPECT_EQ(fog.size(), designed);
    fog.resize(400, 300);
    EXPECT_EQ(fog.size(), designed);
    EXPECT_EQ(fog.minimumSize(), fog.maximumSize());
    const QRect shown = fog.rect();
    for (QWidget* control : fog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        EXPECT_TRUE(shown.contains(control->geometry())) << control->objectName().toStdString();
    const Qt::WindowFlags flags = fog.windowFlags();
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint) << "the window manager's own buttons would include maximise";
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
}

TEST_F(FogFormTest, TabFollowsTheScreenAndTheFogTypeIsOneStop) {
    fog.show();
    QApplication::setActiveWindow(&fog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&fog));
    QWidget* first = fog.focusWidget();
    ASSERT_NE(first, nullptr);
    QStringList walked;
    TabWalk(first, [&walked](QWidget* at) {
        auto* radio = qobject_cast<QRadioButton*>(at);
        walked << (radio ? radio->text() : at->objectName());
    });
    // Haze: the distance and its slider are disabled, so Tab passes them.
    EXPECT_EQ(walked.join(u' ').toStdString(), "Haze prm_fog_density TrackBar1 ColorButton prm_fog_red prm_fog_green "
                                               "prm_fog_blue CloseButton");
}

TEST_F(FogFormTest, CloseHidesTheDialogAndKeepsItsValues) {
    fog.show();
    Field("prm_fog_distance")->setText(QStringLiteral("4200"));
    Control<QPushButton>("CloseButton")->click();
    EXPECT_FALSE(fog.isVisible());
    EXPECT_EQ(Field("prm_fog_distance")->text(), QStringLiteral("4200"));
}

} // namespace
