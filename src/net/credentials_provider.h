#pragma once

#include <QString>
#include <functional>
#include <optional>

namespace quill {

// Who the user says the program should connect as: given in the "Connect as"
// dialog and kept in memory only.
struct ConnectAsCredentials {
  QString user;      // "name", "name@domain" or "DOMAIN\name"
  QString domain;    // may be empty
  QString password;  // never logged, never stored; wiped by whoever takes it
};

// How backends that connect on first use reach the user. Window mode fills it
// from its prompter; batch mode has none and never asks.
struct CredentialsProvider {
  // Asks for a user, domain and password; previous holds the user and domain
  // to offer (its password is always empty). nullopt when the user cancels.
  std::function<std::optional<ConnectAsCredentials>(const ConnectAsCredentials& previous)>
      askCredentials;
  // Asks a Yes/No question; true for Yes.
  std::function<bool(const QString& question)> askYesNo;
};

}  // namespace quill
