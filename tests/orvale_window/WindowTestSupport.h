#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QUrl>
#include <memory>
#include <string>
#include <vector>

#include "common/FormsCollection.h"
#include "orvale/builder/Module1.h"
#include "orvale/window/frmMain.h"
#include "tests/support/QtApplicationEnvironment.h"
#include "tests/support/RecordingHostServices.h"
#include "tests/support/TempFolder.h"

inline QString Text(const std::string& bytes) {
  return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

// A main window over a program folder with both templates, answering and
// recording through the host, with a clock that moves on at every look so
// the build's pauses pass at once.
class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program.write("FirstPart.txt", "<html>\r\nvar pictures = [\r\n");
    program.write("LastPart.txt", "];\r\n</html>\r\n");
    form = std::make_unique<orvale::frmMain>(state, host, program.path(), forms,
                                             [this] { return now += 0.05; });
    QObject::connect(&form->txtFolderToBrowse, &QPlainTextEdit::textChanged, [this] {
      const QString text = form->txtFolderToBrowse.toPlainText();
      // Replacing the text passes through an empty box on the way.
      if (!text.isEmpty()) statuses.push_back(text.toStdString());
    });
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }

  // A whole drag over the folder box, ending in the drop, and the events
  // that follow it. True when the box accepted every step.
  bool DropOnBox(const QMimeData& data) {
    const bool accepted = Drop(*form->txtFolderToBrowse.viewport(), data);
    QCoreApplication::sendPostedEvents();
    return accepted;
  }

  static bool Drop(QWidget& target, const QMimeData& data) {
    const bool dragged = Drag(target, data);
    return Release(target, data) && dragged;
  }

  // A drag entering the target and moving over it.
  static bool Drag(QWidget& target, const QMimeData& data) {
    const QPoint point(target.width() / 2, target.height() / 2);
    QDragEnterEvent enter(point, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    QDragMoveEvent move(point, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&target, &move);
    return enter.isAccepted() && move.isAccepted();
  }

  // The drag's button let go over the target.
  static bool Release(QWidget& target, const QMimeData& data) {
    const QPointF point(target.width() / 2.0, target.height() / 2.0);
    QDropEvent drop(point, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &drop);
    return drop.isAccepted();
  }

  static std::unique_ptr<QMimeData> Files(const std::vector<std::string>& paths) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    // Encoded byte for byte, as a file manager sends names that are not UTF-8.
    for (const auto& path : paths)
      urls << QUrl::fromEncoded("file://" + QByteArray::fromStdString(path).toPercentEncoding("/"));
    data->setUrls(urls);
    return data;
  }

  TempFolder program;
  platform::RecordingHostServices host;
  orvale::Module1 state;
  common::FormsCollection forms;
  double now = 1000;
  std::unique_ptr<orvale::frmMain> form;
  std::vector<std::string> statuses;
};
