// SPDX-License-Identifier: MIT
#include "ui/qt/TApplication.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

#include "ui/qt/DisplayWatch.h"
#include "ui/qt/FramePacedPainting.h"
#include "ui/qt/SpaceWrappedText.h"

TApplication Application;

TApplication::TApplication() : TopLevelErrors([this](const std::string& message) { ShowError(message); }) {}

TApplication::~TApplication() = default;

void TApplication::Initialize(int& argc, char** argv) {
  if (QApplication::instance() == nullptr) ownApplication_ = std::make_unique<QApplication>(argc, argv);
}

int TApplication::Run() {
  mainForm_->show();
  const int result = RunWatchingTheDisplay(*mainForm_);
  Shutdown();
  return result;
}

void TApplication::Shutdown() {
  // Windows and the toolkit go before the process's static objects do.
  mainForm_.reset();
  ownApplication_.reset();
}

void TApplication::DestroyMainForm() { mainForm_.reset(); }

void TApplication::ShowError(const std::string& message) {
  PaintWaitingControlsNow();
  const QString title = mainForm_ ? mainForm_->windowTitle() : QApplication::applicationName();
  QMessageBox box(QMessageBox::Critical, title, "", QMessageBox::Ok, mainForm_.get());
  SetSpaceWrappedText(box, message);
  box.exec();
}
