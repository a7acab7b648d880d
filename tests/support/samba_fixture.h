#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "net/ldap_directory.h"
#include "support/samba_dc.h"

namespace quill::test {

// A test against the fixture's Samba DC: an LdapDirectory bound as Administrator over LDAPS with
// the DC's CA (given through LDAPTLS_CACERT, as a user would). Skipped when no DC is described.
class SambaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QString why;
    m_dc = SambaDc::fromEnvironment(&why);
    if (!m_dc) GTEST_SKIP() << why.toStdString();
    m_caGuard = std::make_unique<EnvGuard>("LDAPTLS_CACERT", m_dc->caCert().toUtf8());
    m_dir = std::make_unique<LdapDirectory>(m_dc->adminSettings());
  }

  QString rootPath() const { return QStringLiteral("LDAP://") + m_dc->domain(); }
  QString pathOf(const QString& dn) const { return rootPath() + u'/' + dn; }

  std::unique_ptr<DirObject> bind(const QString& path) {
    PendingError err;
    std::unique_ptr<DirObject> obj = m_dir->Bind(path, err);
    EXPECT_TRUE(obj != nullptr) << path.toStdString() << ": " << err.description().toStdString();
    return obj;
  }

  // A new OU named uniquely under parent (the domain root by default), stored.
  std::unique_ptr<DirObject> makeOu(const QString& prefix, const DirObject* parent = nullptr) {
    std::unique_ptr<DirObject> root;
    if (parent == nullptr) {
      root = bind(rootPath());
      if (!root) return nullptr;
      parent = root.get();
    }
    PendingError err;
    std::unique_ptr<DirObject> ou = m_dir->Create(*parent, QStringLiteral("organizationalUnit"),
                                                  QStringLiteral("OU=") + uniqueName(prefix), err);
    if (ou) m_dir->SetInfo(*ou, err);
    EXPECT_FALSE(err.isSet()) << err.description().toStdString();
    return err.isSet() ? nullptr : std::move(ou);
  }

  std::optional<SambaDc> m_dc;
  std::unique_ptr<EnvGuard> m_caGuard;
  std::unique_ptr<LdapDirectory> m_dir;
};

}  // namespace quill::test
