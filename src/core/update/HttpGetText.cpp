#include "update/HttpGetText.h"

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

using Clock = std::chrono::steady_clock;

constexpr long kMaxRedirects = 5;
// Bound on the whole transfer, as a multiple of the idle time-out: a slow but
// steady trickle must not keep the check alive for ever.
constexpr int kTransferBoundFactor = 6;

// Transfers in flight, so that the end of the process can wait for them.
struct TransferRegistry
{
    std::mutex mutex;
    std::condition_variable idle;
    int running = 0;
    std::atomic<bool> aborting{false};
};

// Never destroyed: a detached worker may still leave a transfer while the
// process runs its exit handlers.
TransferRegistry& Registry()
{
    static auto* registry = new TransferRegistry;
    return *registry;
}

class RunningTransfer
{
  public:
    RunningTransfer()
    {
        std::lock_guard<std::mutex> lock(Registry().mutex);
        ++Registry().running;
    }
    ~RunningTransfer()
    {
        std::lock_guard<std::mutex> lock(Registry().mutex);
        --Registry().running;
        Registry().idle.notify_all();
    }
    RunningTransfer(const RunningTransfer&) = delete;
    RunningTransfer& operator=(const RunningTransfer&) = delete;
};

struct Transfer
{
    CURL* curl = nullptr;
    std::string body;
    Clock::time_point lastDataAt;
    long idleLimitMs = 0;
    long status = 0;
    bool tooLarge = false;
    bool refusedStatus = false;
};

bool IsSuccessStatus(long status)
{
    return status >= 200 && status < 300;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user)
{
    static_cast<Transfer*>(user)->lastDataAt = Clock::now();
    return size * count;
}

size_t OnBody(char* data, size_t size, size_t count, void* user)
{
    auto* transfer = static_cast<Transfer*>(user);
    transfer->lastDataAt = Clock::now();
    // Bodies of followed redirects never get here, so this is the final answer.
    // A failure status is reported without reading its body.
    long status = 0;
    curl_easy_getinfo(transfer->curl, CURLINFO_RESPONSE_CODE, &status);
    if (!IsSuccessStatus(status)) {
        transfer->status = status;
        transfer->refusedStatus = true;
        return 0;
    }
    const size_t bytes = size * count;
    if (transfer->body.size() + bytes > static_cast<size_t>(kHttpMaxBodyBytes)) {
        transfer->tooLarge = true;
        return 0;
    }
    transfer->body.append(data, bytes);
    return bytes;
}

// Called about once a second even while nothing arrives; ends a stalled transfer.
int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    if (Registry().aborting)
        return 1;
    auto* transfer = static_cast<Transfer*>(user);
    const auto idle =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - transfer->lastDataAt);
    return idle.count() >= transfer->idleLimitMs ? 1 : 0;
}

// The response as lines, each followed by '\n' (CR LF line ends become LF).
std::string SplitIntoLines(const std::string& body)
{
    std::string text;
    text.reserve(body.size() + 1);
    size_t start = 0;
    while (start < body.size()) {
        size_t end = body.find('\n', start);
        const size_t next = end == std::string::npos ? body.size() : end + 1;
        if (end == std::string::npos)
            end = body.size();
        if (end > start && body[end - 1] == '\r')
            --end;
        text.append(body, start, end - start);
        text.push_back('\n');
        start = next;
    }
    return text;
}

void InitCurlOnce()
{
    // curl_global_init is not safe to race; two checks may start together.
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

int HttpGetText(const std::string& url, std::string& text, int timeoutSeconds)
{
    text.clear();
    const RunningTransfer running;
    if (Registry().aborting)
        return kHttpGetFailure;
    InitCurlOnce();
    CURL* curl = curl_easy_init();
    if (!curl)
        return kHttpGetFailure;

    const long idleSeconds = timeoutSeconds > 0 ? timeoutSeconds : 1;
    Transfer transfer;
    transfer.curl = curl;
    transfer.idleLimitMs = idleSeconds * 1000;
    transfer.lastDataAt = Clock::now();

    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "HttpClient");
    // Only web addresses, also after a redirect: never file:, ftp:, dict: ...
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
    // Worker threads: no SIGALRM-based resolver time-outs.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, idleSeconds);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, idleSeconds * kTransferBoundFactor);
    // A declared length above the limit is refused before any body is read.
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kHttpMaxBodyBytes));
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);

    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    if (code == CURLE_OK)
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);

    if (transfer.refusedStatus)
        return static_cast<int>(transfer.status);
    if (code != CURLE_OK || status == 0)
        return kHttpGetFailure;
    if (!IsSuccessStatus(status))
        return static_cast<int>(status);
    text = SplitIntoLines(transfer.body);
    return 0;
}

bool AbortHttpTransfers(int waitMs)
{
    TransferRegistry& registry = Registry();
    registry.aborting = true;
    std::unique_lock<std::mutex> lock(registry.mutex);
    return registry.idle.wait_for(lock, std::chrono::milliseconds(waitMs),
                                  [&] { return registry.running == 0; });
}
