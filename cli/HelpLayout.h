// SPDX-License-Identifier: MIT
#pragma once
#include <CLI/CLI.hpp>

// lpt-dump's --help for users, laid out the same whatever CLI11's version: the usage first, then
// what the program does, its arguments and options, each option with its value's name and its
// text wrapped to 80 columns beside it (no type or validator notes), the options for testing
// with the emulated chip (the group "Testing") only under --help-all, then the exit codes. The
// usage shows OUTPUT as needed, beside the form that reads without saving (--compare FILE).
class HelpLayout : public CLI::Formatter {
 public:
  static constexpr std::size_t Width = 80;
  static constexpr std::size_t NameColumn = 24;

  std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override;
  std::string make_usage(const CLI::App* app, std::string name) const override;
  std::string make_option(const CLI::Option* option, bool isPositional) const override;
};

// `text` broken into lines of at most `width` characters at spaces, each line after the first
// indented by `indent` spaces.
std::string Wrapped(const std::string& text, std::size_t width, std::size_t indent);
