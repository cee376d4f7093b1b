#pragma once
// SHA-256, the digest QCryptographicHash::Sha256 gives, computed by the
// system's libcrypto (which the database client library loads anyway): it
// uses the processor's SHA instructions, and on a journal's script of 60 MB
// that is a few dozen milliseconds where Qt's own code takes most of a
// second, on every export and every import.

#include <QByteArray>
#include <QByteArrayView>

struct evp_md_ctx_st;

namespace backup {

class Sha256 {
  public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void addData(QByteArrayView data);
    // The 32 bytes of the digest of everything added so far.
    QByteArray result() const;

  private:
    evp_md_ctx_st* ctx_;
};

}  // namespace backup
