#pragma once
#include <QString>

namespace qlk {

// One HTTP GET of `url` into the file `target`. Only a 2xx answer counts;
// the body is written, as it arrives, to a temporary file beside the target
// and renamed over it, so a failure leaves no partial file and keeps an
// existing one. An answer longer than `maxBytes` is refused as soon as its
// announced length or the bytes received tell. While it waits, events other
// than user input keep running. The answer is asked for unencoded; one
// that comes encoded (gzip, say) anyway is refused, for its inflated size
// is not known. False, with a reason in `error`, on any failure or after
// `timeoutMs`.
bool httpGet(const QString& url, const QString& target, int timeoutMs = 30000, QString* error = nullptr,
             qint64 maxBytes = qint64(16) << 20);

} // namespace qlk
