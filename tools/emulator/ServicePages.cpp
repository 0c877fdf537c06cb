#include "ServicePages.h"

#include <fstream>

namespace zelto::emulator {

namespace {

std::string Value(const Request& request, const std::string& name) {
    auto found = request.query.find(name);
    return found == request.query.end() ? std::string{} : found->second;
}

Response Line(std::string text) {
    return Response{200, "text/plain", text + "\r\n", {}};
}

Response Page(const std::string& title, const std::string& text) {
    return Response{200,
                    "text/html",
                    "<!DOCTYPE html>\r\n<html><head><title>" + title + "</title></head>\r\n<body><h1>" + title +
                        "</h1><p>" + text + "</p></body></html>\r\n",
                    {}};
}

} // namespace

void ServicePages::AddAccount(const Account& account) {
    std::lock_guard lock(mutex_);
    accounts_[account.secondLevel + "." + account.firstLevel] = account;
}

void ServicePages::SetPublicAddress(const std::string& address) {
    std::lock_guard lock(mutex_);
    publicAddress_ = address;
}

std::string ServicePages::RegisteredAddress(const std::string& host) const {
    std::lock_guard lock(mutex_);
    auto found = registered_.find(host);
    return found == registered_.end() ? std::string{} : found->second;
}

Response ServicePages::Answer(const Request& request) {
    if (request.path == "/premium/update.asp")
        return Update(request);
    if (request.path == "/premium/initialize.asp")
        return Initialize(request);
    if (request.path == "/premium/ipcheck.asp")
        return IpCheck(request);
    if (request.path == "/")
        return Page("Zelto Premium", "Dynamic DNS for your own host names.");
    if (request.path == "/register.htm")
        return Page("Zelto Premium registration", "Create or re-activate your subscription here.");
    if (request.path == "/premium/manage_dns.asp")
        return Page("Zelto Premium web interface", "Manage your host names here.");
    return Response{404, "text/html", "<!DOCTYPE html>\r\n<html><body>Not found</body></html>\r\n", {}};
}

Response ServicePages::Update(const Request& request) {
    std::string host = Value(request, "second") + "." + Value(request, "first");
    std::lock_guard lock(mutex_);
    auto found = accounts_.find(host);
    if (found == accounts_.end())
        return Line("nodomain");
    if (found->second.password != Value(request, "password"))
        return Line("wrongpassword");
    if (found->second.expired)
        return Line("expired");
    std::string address = Value(request, "ip_address");
    if (address.empty())
        address = SeenAddress(request);
    registered_[host] = address;
    return Line("ip" + address);
}

Response ServicePages::Initialize(const Request& request) {
    std::string host = Value(request, "second") + "." + Value(request, "first");
    std::lock_guard lock(mutex_);
    auto found = accounts_.find(host);
    bool known = found != accounts_.end() && found->second.password == Value(request, "password");
    return Line(known && !found->second.expired ? "success" : "failed");
}

Response ServicePages::IpCheck(const Request& request) const {
    std::lock_guard lock(mutex_);
    return Line("ip" + SeenAddress(request));
}

std::string ServicePages::SeenAddress(const Request& request) const {
    if (!publicAddress_.starts_with('@'))
        return publicAddress_.empty() ? request.peer : publicAddress_;
    std::ifstream file(publicAddress_.substr(1));
    std::string line;
    std::getline(file, line);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line.empty() ? request.peer : line;
}

} // namespace zelto::emulator
