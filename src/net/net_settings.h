#pragma once

#include <QString>

// Connection settings shared by the network back ends (directory, file system, share service).
// Header-only and Qt-Core-only so every network component can include it without pulling in a
// C library header.
struct NetSettings {
  QString dcHost;  // overrides the address of every connection; empty: the domain name as typed
  bool startTls = false;  // ldap://host:389 + StartTLS instead of ldaps://host:636
  QString user, domain;
  QString password;  // empty when Kerberos is used; never logged
  bool useKerberos = false;
  int timeoutSeconds = 10;
};
