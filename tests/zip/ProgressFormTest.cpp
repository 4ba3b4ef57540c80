// SPDX-License-Identifier: GPL-3.0-or-later
// The progress window of an extraction: its layout, its place over the main window, and Cancel.
#include "zip/ProgressForm.h"

#include "forms/Form.h"
#include "support/ScriptedQuestions.h"
#include "support/TestFolder.h"
#include "zip/ZipBuilder.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TZip& PrepareZip(TZip& zip) {
    zip.LibraryFolder = UnzipLibraryFolder();
    zip.MakeProgressWindow = [](TZip& owner) { return std::make_unique<TProgressForm>(owner); };
    return zip;
}

TEST(ProgressForm, LayoutIsCentredOverTheMainWindow) {
    QWidget mainWindow;
    TForm mainForm(mainWindow, QStringLiteral("MainForm"));
    mainWindow.setGeometry(200, 150, 640, 480);
    mainWindow.show();
    TZip zip;
    TProgressForm form(zip);
    const QRect main = mainWindow.frameGeometry();
    EXPECT_EQ(form.width(), 300);
    EXPECT_EQ(form.height(), 100);
    EXPECT_EQ(form.x(), main.left() + (main.width() - form.width()) / 2);
    EXPECT_EQ(form.y(), main.top() + (main.height() - form.height()) / 2);
    EXPECT_EQ(form.windowTitle(), ApplicationTitle);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);

    EXPECT_EQ(form.Label().text(), QStringLiteral("wait ..."));
    EXPECT_EQ(form.Label().geometry().top(), 15);
    EXPECT_EQ(form.Label().width(), 280);
    EXPECT_EQ(form.Label().x(), 10);
    EXPECT_EQ(form.Bar().geometry().top(), 35);
    EXPECT_EQ(form.Bar().width(), 280);
    EXPECT_EQ(form.Bar().x(), 10);
    EXPECT_EQ(form.CancelButton().text(), QStringLiteral("&Cancel"));
    EXPECT_TRUE(form.CancelButton().isDefault());
    EXPECT_EQ(form.CancelButton().geometry().top(), 60);
    EXPECT_EQ(form.CancelButton().x(), (300 - form.CancelButton().width()) / 2);

    form.SetText("mp\\custom.arena");
    EXPECT_EQ(form.Label().text(), QStringLiteral("mp\\custom.arena"));
    EXPECT_EQ(form.Label().x(), 10);
}

TEST(ProgressForm, ShownWithTheMemberNameDuringAnExtractionAndGoneAfter) {
    TestFolder folder;
    ScriptedQuestions questions;
    TZip zip;
    PrepareZip(zip).Open(folder.Write("maps.pk3", MakeZip({{.name = "mp/custom.arena", .content = "map"}})));
    zip.ExtractFolder = folder.Path();
    zip.MemberSpecs = {"mp\\custom.arena"};
    QString shownText;
    bool visible = false;
    int maximum = 0;
    zip.OnZEDProgressEvent = [&](TZip& sender, const std::string&, std::int32_t, std::int32_t) {
        auto* window = dynamic_cast<TProgressForm*>(sender.ProgressWindow());
        ASSERT_NE(window, nullptr);
        visible = window->isVisible();
        shownText = window->Label().text();
        maximum = window->Bar().maximum();
    };
    EXPECT_EQ(zip.Extract(), 1);
    EXPECT_TRUE(visible);
    EXPECT_EQ(shownText, QStringLiteral("mp\\custom.arena"));
    EXPECT_EQ(maximum, 3);
    EXPECT_EQ(zip.ProgressWindow(), nullptr);
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_EQ(dynamic_cast<TProgressForm*>(widget), nullptr);
}

TEST(ProgressForm, CancelStopsTheBatchAtTheNextCallback) {
    std::vector<TestMember> members;
    for (int i = 0; i < 5; ++i)
        members.push_back({.name = "member" + std::to_string(i), .content = std::string(200000, 'm'), .deflate = true});
    TestFolder folder;
    ScriptedQuestions questions;
    TZip zip;
    PrepareZip(zip).Open(folder.Write("long.zip", MakeZip(members)));
    const std::string target = folder.File("target");
    std::filesystem::create_directory(target);
    zip.ExtractFolder = target;
    for (const TestMember& member : members)
        zip.MemberSpecs.push_back(member.name);
    int begun = 0;
    int steps = 0;
    zip.OnZEDBeginFileEvent = [&](TZip&, const std::string&, std::int32_t, std::int32_t, std::int32_t) { ++begun; };
    zip.OnZEDProgressEvent = [&](TZip& sender, const std::string&, std::int32_t, std::int32_t) {
        if (++steps == 1)
            dynamic_cast<TProgressForm*>(sender.ProgressWindow())->CancelButton().click();
    };
    EXPECT_LT(zip.Extract(), 0);
    EXPECT_TRUE(zip.CancelRequested);
    EXPECT_EQ(begun, 1);
    EXPECT_EQ(steps, 1) << "callbacks after Cancel do nothing";
    EXPECT_TRUE(std::filesystem::is_empty(target)) << "the member cut short leaves nothing behind";
}

} // namespace
