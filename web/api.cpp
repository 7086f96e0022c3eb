#include "web/api.h"

#include <QFile>

#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

#include "base/json_writer.h"
#include "web/gzip.h"

namespace web {
namespace {

// The page may load only its own scripts and styles: no markup or script a
// received text could carry ever runs.
constexpr const char* kPagePolicy =
    "default-src 'self'; img-src 'self' data:; style-src 'self' 'unsafe-inline'; object-src 'none'; "
    "base-uri 'none'; frame-ancestors 'none'";

std::string ReadResource(const char* name) {
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = f.readAll();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

bool ReadFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    out = s.str();
    return true;
}

// An MMSI in the path: one to nine digits.
bool ParseMmsi(std::string_view text, int32_t& mmsi) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return std::from_chars(text.data(), text.data() + text.size(), mmsi).ec == std::errc();
}

}  // namespace

Response JsonError(int status, const std::string& text) {
    base::OutputBuffer out;
    base::JsonWriter j(out);
    j.beginObject();
    j.field("error", text);
    j.endObject();
    return Response{status, "application/json", std::string(out.view()) + "\n", {}, false};
}

std::map<std::string, StaticFile> PageFiles(const std::string& leafletDir) {
    std::map<std::string, StaticFile> files;
    const std::string index = ReadResource(":/web/index.html");
    files["/"] = {"text/html; charset=utf-8", index};
    files["/index.html"] = {"text/html; charset=utf-8", index};
    files["/app.js"] = {"text/javascript; charset=utf-8", ReadResource(":/web/app.js")};
    files["/style.css"] = {"text/css; charset=utf-8", ReadResource(":/web/style.css")};
    const std::pair<const char*, const char*> leaflet[] = {
        {"leaflet.js", "text/javascript; charset=utf-8"},
        {"leaflet.css", "text/css; charset=utf-8"},
        {"images/layers.png", "image/png"},
        {"images/layers-2x.png", "image/png"},
        {"images/marker-icon.png", "image/png"},
        {"images/marker-icon-2x.png", "image/png"},
        {"images/marker-shadow.png", "image/png"},
    };
    for (const auto& [name, type] : leaflet) {
        StaticFile f{type, {}};
        if (ReadFile(leafletDir + "/" + name, f.body)) files["/leaflet/" + std::string(name)] = std::move(f);
    }
    return files;
}

Api::Api(std::map<std::string, StaticFile> files, Sources sources)
    : files_(std::move(files)), sources_(std::move(sources)) {}

void Api::publish(View v, std::string text, std::string gzip) {
    std::lock_guard lock(mutex_);
    Cached& c = cache_[static_cast<size_t>(v)];
    c.refreshing = false;
    if (text.empty()) return;  // not made this time; the next request tries again
    c.text = std::make_shared<const std::string>(std::move(text));
    c.gzip = gzip.empty() ? nullptr : std::make_shared<const std::string>(std::move(gzip));
    c.at = sources_.clock ? sources_.clock() : std::chrono::steady_clock::now();
    ++c.builds;
}

Response Api::view(View v, const char* contentType, const Request& request) {
    const auto now = sources_.clock ? sources_.clock() : std::chrono::steady_clock::now();
    std::unique_lock lock(mutex_);
    Cached& c = cache_[static_cast<size_t>(v)];
    const auto age = now - c.at;
    if (!c.text || age >= std::chrono::seconds(1)) {
        if (sources_.refresh && c.text && age < std::chrono::seconds(kStaleSeconds)) {
            // Answered with the last text while the next one is made.
            if (!c.refreshing) {
                c.refreshing = true;
                lock.unlock();
                sources_.refresh(v, [this, v, alive = std::weak_ptr<char>(alive_)](std::string text, std::string gzip) {
                    if (alive.lock()) publish(v, std::move(text), std::move(gzip));
                });
                lock.lock();
            }
        } else {
            lock.unlock();
            std::string text = sources_.view ? sources_.view(v) : std::string();
            // No text: the receive thread did not answer in time; nothing is kept.
            if (text.empty()) return JsonError(503, "busy, try again");
            lock.lock();
            c.text = std::make_shared<const std::string>(std::move(text));
            c.gzip.reset();
            c.at = now;
            ++c.builds;
        }
    }
    std::shared_ptr<const std::string> text = c.text;
    std::shared_ptr<const std::string> gzip = c.gzip;
    lock.unlock();
    Response r{200, contentType, {}, {{"Vary", "Accept-Encoding"}}, false};
    if (AcceptsGzip(request) && text->size() >= 1024) {
        if (!gzip) {
            gzip = std::make_shared<const std::string>(Gzip(*text));
            lock.lock();
            if (c.text == text) c.gzip = gzip;
            lock.unlock();
        }
        if (!gzip->empty()) {
            r.body = *gzip;
            r.headers.emplace_back("Content-Encoding", "gzip");
            return r;
        }
    }
    r.body = *text;
    return r;
}

Response Api::target(const std::string& rest, const Request& request) const {
    const size_t slash = rest.find('/');
    int32_t mmsi = 0;
    if (!ParseMmsi(std::string_view(rest).substr(0, slash), mmsi)) return JsonError(404, "no such target");
    if (slash != std::string::npos) {
        if (rest.substr(slash) != "/track") return JsonError(404, "no such path");
        if (!sources_.history) return JsonError(503, "no history store");
        return sources_.history(request);
    }
    const std::string detail = sources_.targetDetail ? sources_.targetDetail(mmsi) : std::string();
    if (detail.empty()) return JsonError(404, "no such target");
    return Response{200, "application/json", detail, {}, false};
}

Response Api::coast(const Request& request) const {
    double box[4];
    const char* names[4] = {"w", "s", "e", "n"};
    for (int k = 0; k < 4; ++k) {
        const auto v = request.queryValue(names[k]);
        if (!v || std::from_chars(v->data(), v->data() + v->size(), box[k]).ec != std::errc() || !std::isfinite(box[k]) ||
            std::fabs(box[k]) > 1000) {
            return JsonError(400, "coast wants w, s, e, n in degrees and z");
        }
    }
    int zoom = 0;
    const auto z = request.queryValue("z");
    if (!z || std::from_chars(z->data(), z->data() + z->size(), zoom).ec != std::errc() || zoom < 0 || zoom > 24) {
        return JsonError(400, "coast wants w, s, e, n in degrees and z");
    }
    Response r{200, "application/geo+json",
               sources_.coast ? sources_.coast(box[0], box[1], box[2], box[3], zoom)
                              : std::string("{\"type\":\"FeatureCollection\",\"features\":[]}"),
               {{"Cache-Control", "max-age=86400"}}, false};
    return r;
}

Response Api::handle(const Request& request) {
    const std::string& path = request.path;
    if (path == "/api/targets") {
        const auto form = request.queryValue("form");
        return view(form && *form == "compact" ? View::Compact : View::Targets, "application/json", request);
    }
    if (path == "/api/targets.geojson") return view(View::GeoJson, "application/geo+json", request);
    if (path == "/api/stats") return view(View::Stats, "application/json", request);
    if (path == "/api/alarms") return view(View::Alarms, "application/json", request);
    if (path == "/api/coverage") return view(View::Coverage, "application/json", request);
    if (path == "/api/coast") return coast(request);
    if (path == "/api/events") return Response{200, "text/event-stream", "retry: 2000\n\n", {}, true};
    if (path == "/api/situation" || path == "/api/history") {
        if (!sources_.history) return JsonError(503, "no history store");
        return sources_.history(request);
    }
    static const std::string kTargetPrefix = "/api/targets/";
    if (path.compare(0, kTargetPrefix.size(), kTargetPrefix) == 0) return target(path.substr(kTargetPrefix.size()), request);
    const auto file = files_.find(path);
    if (file == files_.end() || file->second.body.empty()) return JsonError(404, "no such path");
    Response r{200, file->second.contentType, file->second.body, {}, false};
    if (file->second.contentType.rfind("text/html", 0) == 0) {
        r.headers.emplace_back("Content-Security-Policy", kPagePolicy);
        r.headers.emplace_back("Referrer-Policy", "no-referrer");
    }
    return r;
}

}  // namespace web
