#include "net/net_credentials.h"

#include <krb5/krb5.h>

#include <QFile>
#include <QStringView>
#include <algorithm>

#include "core/secret.h"

namespace quill {

namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

QStringView trimBlanks(QStringView text) {
  qsizetype begin = 0;
  qsizetype end = text.size();
  while (begin < end && isBlank(text[begin])) ++begin;
  while (end > begin && isBlank(text[end - 1])) --end;
  return text.sliced(begin, end - begin);
}

QStringView trimLeadingBlanks(QStringView text) {
  qsizetype begin = 0;
  while (begin < text.size() && isBlank(text[begin])) ++begin;
  return text.sliced(begin);
}

bool parseLines(QStringView text, NetCredentials* credentials, QString* error) {
  NetCredentials result;
  bool hasUser = false;
  bool hasPassword = false;
  bool hasDomain = false;
  int lineNumber = 0;
  qsizetype pos = 0;
  while (pos <= text.size()) {
    qsizetype end = text.indexOf(u'\n', pos);
    if (end < 0) end = text.size();
    QStringView line = text.sliced(pos, end - pos);
    pos = end + 1;
    ++lineNumber;
    if (line.endsWith(u'\r')) line.chop(1);
    const QStringView content = trimBlanks(line);
    if (content.isEmpty() || content.startsWith(u'#') || content.startsWith(u';')) continue;
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0) {
      *error = QStringLiteral("line %1: expected \"name = value\"").arg(lineNumber);
      return false;
    }
    const QStringView key = trimBlanks(line.first(eq));
    const QStringView value = trimLeadingBlanks(line.sliced(eq + 1));
    if (key.compare(u"username", Qt::CaseInsensitive) == 0) {
      result.user = trimBlanks(value).toString();
      hasUser = true;
    } else if (key.compare(u"password", Qt::CaseInsensitive) == 0) {
      wipeSecret(result.password);
      result.password = value.toString();
      hasPassword = true;
    } else if (key.compare(u"domain", Qt::CaseInsensitive) == 0) {
      result.domain = trimBlanks(value).toString();
      hasDomain = true;
    } else {
      *error = QStringLiteral(
                   "line %1: unknown setting \"%2\" (expected username, password or "
                   "domain)")
                   .arg(lineNumber)
                   .arg(key.toString());
      wipeSecret(result.password);
      return false;
    }
  }
  if (!hasUser || result.user.isEmpty()) {
    *error = QStringLiteral("no username given");
    wipeSecret(result.password);
    return false;
  }
  if (!hasPassword || result.password.isEmpty()) {
    *error = QStringLiteral("no password given");
    wipeSecret(result.password);
    return false;
  }
  // DOMAIN\user (or DOMAIN/user) names the domain too.
  const qsizetype sep = std::max(result.user.indexOf(u'\\'), result.user.indexOf(u'/'));
  if (sep > 0) {
    if (!hasDomain || result.domain.isEmpty()) result.domain = result.user.first(sep);
    result.user = result.user.sliced(sep + 1);
  }
  if (result.user.isEmpty()) {  // "DOMAIN\" alone
    *error = QStringLiteral("no username given");
    wipeSecret(result.password);
    return false;
  }
  result.useKerberos = false;
  *credentials = std::move(result);
  return true;
}

}  // namespace

bool parseAuthFile(const QByteArray& text, NetCredentials* credentials, QString* error) {
  QString decoded = QString::fromUtf8(text);
  const bool ok = parseLines(decoded, credentials, error);
  wipeSecret(decoded);
  return ok;
}

bool loadAuthFile(const QString& path, NetCredentials* credentials, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = path + QStringLiteral(": ") + file.errorString();
    return false;
  }
  QByteArray text = file.readAll();
  QString reason;
  const bool ok = parseAuthFile(text, credentials, &reason);
  wipeSecret(text);
  if (!ok) *error = path + QStringLiteral(": ") + reason;
  return ok;
}

bool hasKerberosTicket(QString* principal) {
  krb5_context context = nullptr;
  if (krb5_init_context(&context) != 0) return false;
  bool found = false;
  krb5_ccache cache = nullptr;
  krb5_principal client = nullptr;
  krb5_principal tgs = nullptr;
  krb5_cc_cursor cursor = nullptr;
  krb5_timestamp now = 0;
  if (krb5_cc_default(context, &cache) == 0 &&
      krb5_cc_get_principal(context, cache, &client) == 0 &&
      krb5_build_principal(context, &tgs, client->realm.length, client->realm.data, KRB5_TGS_NAME,
                           client->realm.data, nullptr) == 0 &&
      krb5_timeofday(context, &now) == 0 && krb5_cc_start_seq_get(context, cache, &cursor) == 0) {
    krb5_creds creds;
    while (!found && krb5_cc_next_cred(context, cache, &cursor, &creds) == 0) {
      found = krb5_principal_compare(context, creds.server, tgs) &&
              static_cast<uint32_t>(creds.times.endtime) > static_cast<uint32_t>(now);
      krb5_free_cred_contents(context, &creds);
    }
    krb5_cc_end_seq_get(context, cache, &cursor);
    if (found && principal != nullptr) {
      char* name = nullptr;
      if (krb5_unparse_name(context, client, &name) == 0) {
        *principal = QString::fromUtf8(name);
        krb5_free_unparsed_name(context, name);
      }
    }
  }
  if (tgs != nullptr) krb5_free_principal(context, tgs);
  if (client != nullptr) krb5_free_principal(context, client);
  if (cache != nullptr) krb5_cc_close(context, cache);
  krb5_free_context(context);
  return found;
}

bool resolveCredentials(const QString& credentialsFile, NetCredentials* credentials,
                        QString* error) {
  if (!credentialsFile.isEmpty()) {
    // Before the password is in memory: a core dump from then on would hold it.
    preventCoreDumps();
    return loadAuthFile(credentialsFile, credentials, error);
  }
  QString principal;
  if (hasKerberosTicket(&principal)) {
    NetCredentials fromTicket;
    const qsizetype at = principal.lastIndexOf(u'@');
    fromTicket.user = at < 0 ? principal : principal.first(at);
    fromTicket.domain = at < 0 ? QString() : principal.sliced(at + 1);
    fromTicket.useKerberos = true;
    *credentials = fromTicket;
    return true;
  }
  *error = QString::fromLatin1(kNoCredentialsMessage);
  return false;
}

}  // namespace quill
