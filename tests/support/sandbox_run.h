#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "core/user_name_pattern.h"
#include "engine/run_context.h"
#include "engine/run_log.h"
#include "sandbox/memory_directory.h"
#include "sandbox/sandbox.h"
#include "sandbox/sandbox_file_system.h"
#include "sandbox/sandbox_share_service.h"
#include "support/qt_print.h"
#include "support/scripted_host.h"

namespace quill::test {

// A RunContext over a fresh sandbox in a temporary folder, with a scripted
// host and a run log (no date or time prefix, so file lines equal messages)
// in the same folder. The domain strings are those of the sandbox's domain,
// as validation would leave them.
class SandboxRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_tmp.isValid());
    QString error;
    m_sandbox = Sandbox::open(m_tmp.path() + QStringLiteral("/sandbox"), &error);
    ASSERT_NE(m_sandbox, nullptr) << error.toStdString();
    QString folder = m_tmp.path();
    QString fileName = QStringLiteral("run.log");
    m_log.OpenRunLog({}, folder, fileName, 0);
    m_ctx = std::make_unique<RunContext>(m_host, m_sandbox->directory(), m_sandbox->files(),
                                         m_sandbox->shares(), m_log, m_patterns);
    m_ctx->domain.DomainFqdn = QStringLiteral("example.test");
    m_ctx->domain.DomainDnSuffix = QStringLiteral(",DC=example,DC=test");
    m_ctx->domain.LdapPrefix = QStringLiteral("LDAP://example.test/");
  }

  MemoryDirectory& dir() { return m_sandbox->directory(); }
  RunContext& ctx() { return *m_ctx; }
  RunOptions& options() { return m_host.runOptions(); }
  const QStringList& lines() const { return m_host.helpHistory(); }

  // Binds "LDAP://example.test/" + dn; fails the test when it does not exist.
  std::unique_ptr<DirObject> bind(const QString& dn) {
    PendingError err;
    std::unique_ptr<DirObject> obj = dir().Bind(QStringLiteral("LDAP://example.test/") + dn, err);
    EXPECT_NE(obj, nullptr) << dn.toStdString() << ": " << err.description().toStdString();
    return obj;
  }

  // Sets one attribute of the domain root (nTMixedDomain, minPwdLength).
  void setRootAttribute(const QString& attribute, const QString& value) {
    PendingError err;
    std::unique_ptr<DirObject> root = dir().Bind(QStringLiteral("LDAP://example.test"), err);
    ASSERT_NE(root, nullptr);
    dir().Put(*root, attribute, value);
    dir().SetInfo(*root, err);
    ASSERT_FALSE(err.isSet()) << err.description().toStdString();
  }

  // The whole log file as lines (CR LF separated).
  QStringList logFileLines() const {
    QFile file(m_log.path());
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringList result = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    if (!result.isEmpty() && result.last().isEmpty()) result.removeLast();
    return result;
  }

  QTemporaryDir m_tmp;
  std::unique_ptr<Sandbox> m_sandbox;
  ScriptedHost m_host;
  RunLog m_log;
  UserNamePatterns m_patterns;
  std::unique_ptr<RunContext> m_ctx;
};

}  // namespace quill::test
