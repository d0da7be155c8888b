// SPDX-License-Identifier: MIT
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "ui/toolkit/TopLevelErrors.h"

class QApplication;
class QWidget;

// The application object: starts the toolkit, creates the main window, runs the event loop,
// and is where every error that leaves an event handler ends up. The default handler shows
// the error's message in a message box; the event loop then goes on.
class TApplication : public TopLevelErrors {
 public:
  TApplication();
  ~TApplication();

  // Starts the toolkit unless it already runs (as in tests).
  void Initialize(int& argc, char** argv);

  // Builds the form, stores it in the variable and makes it the main window. Its FormCreate
  // has run when this returns; an error from it goes to the top-level handler.
  template <class TForm>
  void CreateForm(TForm*& form) {
    form = new TForm();
    mainForm_.reset(form);
    HandleErrorsOf([form] { form->FormCreate(); });
  }

  // Shows the main window and handles events until it is closed.
  int Run();
  // Ends the toolkit for a program that stops before its window is shown: before the process's
  // static objects go, as after Run.
  void Shutdown();

  // Destroys the main window (tests make several in one process).
  void DestroyMainForm();

 private:
  void ShowError(const std::string& message);

  std::unique_ptr<QApplication> ownApplication_;
  std::unique_ptr<QWidget> mainForm_;
};

extern TApplication Application;
