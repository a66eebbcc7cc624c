#pragma once
// The broker library's TLS session, as far as the event loop needs it: whether the session holds
// decrypted bytes that the socket will not signal again. The Linux build asks OpenSSL; the Windows
// build has no TLS library under the broker library, so it never holds any.
namespace mqtt {

// session: what mosquitto_ssl_get() answers, maybe null. true when a read would find bytes now.
bool tlsHoldsBytes(const void* session);

} // namespace mqtt
