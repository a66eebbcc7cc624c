#include "web/tls_certificate.h"

#include "web/credentials.h"
#include "web/web_text.h"

#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QtEndian>

#include <gnutls/crypto.h>
#include <gnutls/gnutls.h>
#include <gnutls/x509.h>

#include <memory>

namespace web {

namespace {

// The longest certificate chain or key file read.
constexpr qint64 kMaxPemBytes = 256 * 1024;

struct CertificateFree {
    void operator()(gnutls_x509_crt_t certificate) const { gnutls_x509_crt_deinit(certificate); }
};
struct KeyFree {
    void operator()(gnutls_x509_privkey_t key) const { gnutls_x509_privkey_deinit(key); }
};
struct CredentialsFree {
    void operator()(gnutls_certificate_credentials_t credentials) const { gnutls_certificate_free_credentials(credentials); }
};
using Certificate = std::unique_ptr<std::remove_pointer_t<gnutls_x509_crt_t>, CertificateFree>;
using Key = std::unique_ptr<std::remove_pointer_t<gnutls_x509_privkey_t>, KeyFree>;
using Credentials = std::unique_ptr<std::remove_pointer_t<gnutls_certificate_credentials_t>, CredentialsFree>;

gnutls_datum_t datumOf(const QByteArray& bytes)
{
    return {reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.constData())), unsigned(bytes.size())};
}

std::optional<QByteArray> readPem(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxPemBytes)
        return std::nullopt;
    return file.readAll();
}

LoadedCertificate failed(const QString& error)
{
    LoadedCertificate loaded;
    loaded.error = error;
    return loaded;
}

QString fingerprintOf(gnutls_x509_crt_t certificate)
{
    unsigned char digest[32];
    size_t size = sizeof digest;
    if (gnutls_x509_crt_get_fingerprint(certificate, GNUTLS_DIG_SHA256, digest, &size) != GNUTLS_E_SUCCESS)
        return {};
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(digest), qsizetype(size)).toHex(':').toUpper());
}

std::optional<QByteArray> exported(int (*exportTo)(void*, gnutls_x509_crt_fmt_t, gnutls_datum_t*), void* what)
{
    gnutls_datum_t pem {};
    if (exportTo(what, GNUTLS_X509_FMT_PEM, &pem) != GNUTLS_E_SUCCESS)
        return std::nullopt;
    QByteArray bytes(reinterpret_cast<const char*>(pem.data), qsizetype(pem.size));
    gnutls_free(pem.data);
    return bytes;
}

// A new self-signed certificate for names, and its key, PEM; nothing when GnuTLS fails.
std::optional<TlsCredentials> makeSelfSigned(const QStringList& names, const QDateTime& now)
{
    gnutls_x509_privkey_t rawKey = nullptr;
    gnutls_x509_crt_t rawCertificate = nullptr;
    if (gnutls_x509_privkey_init(&rawKey) != GNUTLS_E_SUCCESS)
        return std::nullopt;
    const Key key(rawKey);
    if (gnutls_x509_crt_init(&rawCertificate) != GNUTLS_E_SUCCESS)
        return std::nullopt;
    const Certificate certificate(rawCertificate);
    unsigned char serial[16];
    if (gnutls_x509_privkey_generate(rawKey, GNUTLS_PK_ECDSA, GNUTLS_CURVE_TO_BITS(GNUTLS_ECC_CURVE_SECP256R1), 0)
            != GNUTLS_E_SUCCESS
        || gnutls_rnd(GNUTLS_RND_NONCE, serial, sizeof serial) != GNUTLS_E_SUCCESS)
        return std::nullopt;
    serial[0] &= 0x7F; // a positive number
    const QByteArray commonName("VorFJP board service");
    bool ok = gnutls_x509_crt_set_version(rawCertificate, 3) == GNUTLS_E_SUCCESS
              && gnutls_x509_crt_set_serial(rawCertificate, serial, sizeof serial) == GNUTLS_E_SUCCESS
              && gnutls_x509_crt_set_activation_time(rawCertificate, time_t(now.addDays(-1).toSecsSinceEpoch()))
                     == GNUTLS_E_SUCCESS
              && gnutls_x509_crt_set_expiration_time(rawCertificate, time_t(now.addYears(10).toSecsSinceEpoch()))
                     == GNUTLS_E_SUCCESS
              && gnutls_x509_crt_set_dn_by_oid(rawCertificate, GNUTLS_OID_X520_COMMON_NAME, 0, commonName.constData(),
                                               unsigned(commonName.size()))
                     == GNUTLS_E_SUCCESS
              && gnutls_x509_crt_set_key(rawCertificate, rawKey) == GNUTLS_E_SUCCESS
              && gnutls_x509_crt_set_basic_constraints(rawCertificate, 0, -1) == GNUTLS_E_SUCCESS
              && gnutls_x509_crt_set_key_purpose_oid(rawCertificate, GNUTLS_KP_TLS_WWW_SERVER, 0) == GNUTLS_E_SUCCESS;
    for (const QString& name : names) {
        if (!ok)
            break;
        const QHostAddress address(name);
        if (address.protocol() == QAbstractSocket::IPv4Protocol) {
            const quint32 v4 = qToBigEndian(address.toIPv4Address());
            ok = gnutls_x509_crt_set_subject_alt_name(rawCertificate, GNUTLS_SAN_IPADDRESS, &v4, sizeof v4,
                                                      GNUTLS_FSAN_APPEND)
                 == GNUTLS_E_SUCCESS;
        } else if (address.protocol() == QAbstractSocket::IPv6Protocol) {
            const Q_IPV6ADDR v6 = address.toIPv6Address();
            ok = gnutls_x509_crt_set_subject_alt_name(rawCertificate, GNUTLS_SAN_IPADDRESS, v6.c, sizeof v6.c,
                                                      GNUTLS_FSAN_APPEND)
                 == GNUTLS_E_SUCCESS;
        } else {
            const QByteArray dns = name.toLatin1();
            ok = gnutls_x509_crt_set_subject_alt_name(rawCertificate, GNUTLS_SAN_DNSNAME, dns.constData(),
                                                      unsigned(dns.size()), GNUTLS_FSAN_APPEND)
                 == GNUTLS_E_SUCCESS;
        }
    }
    if (!ok || gnutls_x509_crt_sign2(rawCertificate, rawCertificate, rawKey, GNUTLS_DIG_SHA256, 0) != GNUTLS_E_SUCCESS)
        return std::nullopt;
    const std::optional<QByteArray> certificatePem = exported(
        [](void* what, gnutls_x509_crt_fmt_t format, gnutls_datum_t* out) {
            return gnutls_x509_crt_export2(static_cast<gnutls_x509_crt_t>(what), format, out);
        },
        rawCertificate);
    const std::optional<QByteArray> keyPem = exported(
        [](void* what, gnutls_x509_crt_fmt_t format, gnutls_datum_t* out) {
            return gnutls_x509_privkey_export2(static_cast<gnutls_x509_privkey_t>(what), format, out);
        },
        rawKey);
    if (!certificatePem || !keyPem)
        return std::nullopt;
    return TlsCredentials {*certificatePem, *keyPem};
}

} // namespace

LoadedCertificate loadCertificate(const QString& certificatePath, const QString& keyPath)
{
    const std::optional<QByteArray> certificatePem = readPem(certificatePath);
    if (!certificatePem)
        return failed(WebText::tr("Cannot read the certificate %1.").arg(certificatePath));
    const std::optional<QByteArray> keyPem = readPem(keyPath);
    if (!keyPem)
        return failed(WebText::tr("Cannot read the key %1.").arg(keyPath));
    gnutls_x509_crt_t rawCertificate = nullptr;
    if (gnutls_x509_crt_init(&rawCertificate) != GNUTLS_E_SUCCESS)
        return failed(WebText::tr("Cannot read the certificate %1.").arg(certificatePath));
    const Certificate certificate(rawCertificate);
    const gnutls_datum_t certificateDatum = datumOf(*certificatePem);
    if (gnutls_x509_crt_import(rawCertificate, &certificateDatum, GNUTLS_X509_FMT_PEM) != GNUTLS_E_SUCCESS)
        return failed(WebText::tr("%1 is no PEM certificate.").arg(certificatePath));
    // The pair as the server will take it: GnuTLS checks that the key is the certificate's.
    gnutls_certificate_credentials_t rawCredentials = nullptr;
    if (gnutls_certificate_allocate_credentials(&rawCredentials) != GNUTLS_E_SUCCESS)
        return failed(WebText::tr("Cannot read the key %1.").arg(keyPath));
    const Credentials credentials(rawCredentials);
    const gnutls_datum_t keyDatum = datumOf(*keyPem);
    const int paired = gnutls_certificate_set_x509_key_mem(rawCredentials, &certificateDatum, &keyDatum, GNUTLS_X509_FMT_PEM);
    if (paired == GNUTLS_E_CERTIFICATE_KEY_MISMATCH)
        return failed(WebText::tr("The key %1 is not the key of the certificate %2.").arg(keyPath, certificatePath));
    if (paired < 0)
        return failed(WebText::tr("%1 is no PEM private key.").arg(keyPath));
    LoadedCertificate loaded;
    loaded.credentials = TlsCredentials {*certificatePem, *keyPem};
    loaded.fingerprint = fingerprintOf(rawCertificate);
    return loaded;
}

LoadedCertificate selfSignedCertificate(const QString& certificatePath, const QString& keyPath,
                                        const QStringList& names, const QDateTime& now)
{
    if (QFileInfo::exists(certificatePath) || QFileInfo::exists(keyPath))
        return loadCertificate(certificatePath, keyPath);
    const std::optional<TlsCredentials> made = makeSelfSigned(names, now);
    if (!made)
        return failed(WebText::tr("Cannot make a self-signed certificate."));
    // The key first: a certificate without its key would be found, and refused, next time.
    if (const std::optional<QString> error = writePrivateFile(keyPath, made->keyPem))
        return failed(*error);
    if (const std::optional<QString> error = writePrivateFile(certificatePath, made->certificatePem))
        return failed(*error);
    LoadedCertificate loaded = loadCertificate(certificatePath, keyPath);
    loaded.made = loaded.credentials.has_value();
    return loaded;
}

} // namespace web
