// SPDX-License-Identifier: MIT
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "ui/toolkit/TopLevelErrors.h"

// A window the application owns as its main window.
class TForm {
 public:
  virtual ~TForm() = default;
  virtual void* Handle() const = 0;  // its HWND
};

// The application object on Windows: starts the common controls, creates the main window, runs
// the message loop, and is where every error that leaves an event handler ends up. The default
// handler shows the error in a message box titled with the main window's caption; the loop
// then goes on.
class TApplication : public TopLevelErrors {
 public:
  TApplication();
  ~TApplication();

  void Initialize();

  // Builds the form, stores it in the variable and makes it the main window. Its FormCreate
  // has run when this returns; an error from it goes to the top-level handler.
  template <class TFormClass>
  void CreateForm(TFormClass*& form) {
    form = new TFormClass();
    mainForm_.reset(form);
    HandleErrorsOf([form] { form->FormCreate(); });
  }

  // Shows the main window and handles messages until it is closed; returns the exit code.
  int Run();

  void DestroyMainForm();

 private:
  void ShowError(const std::string& message);

  std::unique_ptr<TForm> mainForm_;
};

extern TApplication Application;
