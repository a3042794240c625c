#include "ado/ConnectionString.h"

#include <strings.h>

namespace NUVADO {

namespace {
std::string Trim(const std::string& s) {
    std::size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return {};
    std::size_t b = s.find_last_not_of(" \t\r\n");
    return s.substr(a, b - a + 1);
}
}  // namespace

bool ConnectionString::Parse(const std::string& text, std::string* error) {
    pairs_.clear();
    std::size_t i = 0, n = text.size();
    while (i < n) {
        std::size_t eq = text.find('=', i);
        std::size_t semi = text.find(';', i);
        if (semi != std::string::npos && (eq == std::string::npos || semi < eq)) {
            // A segment without '=': only blanks are allowed (e.g. a trailing ";;").
            if (!Trim(text.substr(i, semi - i)).empty()) {
                if (error) *error = "Missing '=' after '" + Trim(text.substr(i, semi - i)) + "'";
                return false;
            }
            i = semi + 1;
            continue;
        }
        if (eq == std::string::npos) {
            if (!Trim(text.substr(i)).empty()) {
                if (error) *error = "Missing '=' after '" + Trim(text.substr(i)) + "'";
                return false;
            }
            break;
        }
        std::string key = Trim(text.substr(i, eq - i));
        if (key.empty()) {
            if (error) *error = "A value has no key";
            return false;
        }
        i = eq + 1;
        while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
        std::string value;
        if (i < n && (text[i] == '\'' || text[i] == '"')) {
            char q = text[i++];
            bool closed = false;
            while (i < n) {
                if (text[i] == q) {
                    if (i + 1 < n && text[i + 1] == q) {
                        value += q;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value += text[i++];
            }
            if (!closed) {
                if (error) *error = "The value of '" + key + "' has no closing quote";
                return false;
            }
            while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
            if (i < n && text[i] != ';') {
                if (error) *error = "Unexpected text after the quoted value of '" + key + "'";
                return false;
            }
        } else {
            std::size_t end = text.find(';', i);
            if (end == std::string::npos) end = n;
            value = Trim(text.substr(i, end - i));
            i = end;
        }
        if (i < n && text[i] == ';') ++i;
        pairs_.emplace_back(std::move(key), std::move(value));
    }
    return true;
}

std::string ConnectionString::QuoteValue(const std::string& value) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    bool plain = value.find(';') == std::string::npos &&
                 (value.empty() || (value.front() != '"' && value.front() != '\'' && !blank(value.front()) && !blank(value.back())));
    if (plain) return value;
    if (value.find('"') != std::string::npos && value.find('\'') == std::string::npos) return "'" + value + "'";
    std::string out = "\"";
    for (char c : value) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

const std::string* ConnectionString::Find(const std::string& key) const {
    for (auto it = pairs_.rbegin(); it != pairs_.rend(); ++it)
        if (strcasecmp(it->first.c_str(), key.c_str()) == 0) return &it->second;
    return nullptr;
}

}  // namespace NUVADO
