#include "core/store/Predicate.h"

#include <memory>
#include <mutex>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

namespace brivel::store {

namespace {
std::mutex g_foldMutex;

icu::Transliterator* diacriticRemover() {
    static std::unique_ptr<icu::Transliterator> t = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> made(icu::Transliterator::createInstance(
            "NFD; [:Nonspacing Mark:] Remove; NFC", UTRANS_FORWARD, status));
        if (U_FAILURE(status))
            made.reset();
        return made;
    }();
    return t.get();
}
} // namespace

std::u16string foldForLike(std::string_view utf8) {
    bool ascii = true;
    for (unsigned char c : utf8)
        ascii = ascii && c < 0x80;
    if (ascii) {
        std::u16string out(utf8.size(), u'\0');
        for (std::size_t i = 0; i < utf8.size(); ++i) {
            char c = utf8[i];
            out[i] = static_cast<char16_t>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        }
        return out;
    }
    icu::UnicodeString s = icu::UnicodeString::fromUTF8(
        icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
    {
        std::lock_guard lock(g_foldMutex);
        if (auto* t = diacriticRemover())
            t->transliterate(s);
    }
    s.foldCase();
    return std::u16string(reinterpret_cast<const char16_t*>(s.getBuffer()),
                          static_cast<std::size_t>(s.length()));
}

bool likeMatch(std::u16string_view text, std::u16string_view pattern) {
    std::size_t t = 0, p = 0;
    std::size_t starP = std::u16string_view::npos, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == text[t])) {
            ++t;
            ++p;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starT = t;
        } else if (starP != std::u16string_view::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

Predicate Predicate::between(std::string keyPath, Value low, Value high) {
    Predicate p;
    p.m_kind = Kind::Between;
    p.m_keyPath = std::move(keyPath);
    p.m_values = {std::move(low), std::move(high)};
    return p;
}

Predicate Predicate::likeCD(std::string keyPath, std::string pattern) {
    Predicate p;
    p.m_kind = Kind::LikeCD;
    p.m_keyPath = std::move(keyPath);
    p.m_foldedPattern = std::make_shared<const std::u16string>(foldForLike(pattern));
    p.m_values = {Value::string(pattern)};
    return p;
}

Predicate Predicate::equal(std::string keyPath, Value value) {
    Predicate p;
    p.m_kind = Kind::Equal;
    p.m_keyPath = std::move(keyPath);
    p.m_values = {std::move(value)};
    return p;
}

Predicate Predicate::andOf(std::vector<Predicate> parts) {
    Predicate p;
    p.m_kind = Kind::And;
    p.m_parts = std::move(parts);
    return p;
}

bool Predicate::evaluate(const KeyValueCoding& object) const {
    switch (m_kind) {
    case Kind::And:
        for (const auto& part : m_parts)
            if (!part.evaluate(object))
                return false;
        return true;
    case Kind::Between: {
        Value v = object.valueForKeyPath(m_keyPath);
        if (v.isNull())
            return false;
        return compareValues(v, m_values[0]) >= 0 && compareValues(v, m_values[1]) <= 0;
    }
    case Kind::LikeCD: {
        Value v = object.valueForKeyPath(m_keyPath);
        if (v.type() != Value::Type::String)
            return false;
        return likeMatch(foldForLike(v.stringView()), *m_foldedPattern);
    }
    case Kind::Equal: {
        Value v = object.valueForKeyPath(m_keyPath);
        return v == m_values[0];
    }
    }
    return false;
}

namespace {
std::string literal(const Value& v) {
    switch (v.type()) {
    case Value::Type::String: {
        std::string out = "\"";
        for (char c : v.stringView()) {
            if (c == '"' || c == '\\')
                out += '\\';
            out += c;
        }
        return out + "\"";
    }
    case Value::Type::Bool:
        return v.toBool() ? "TRUE" : "FALSE";
    case Value::Type::Null:
        return "nil";
    case Value::Type::Date:
        return "CAST(" + v.describe() + ", \"NSDate\")";
    default:
        return v.describe();
    }
}
} // namespace

std::string Predicate::format() const {
    switch (m_kind) {
    case Kind::Between:
        return m_keyPath + " BETWEEN {" + literal(m_values[0]) + ", " + literal(m_values[1]) + "}";
    case Kind::LikeCD:
        return m_keyPath + " LIKE[cd] " + literal(m_values[0]);
    case Kind::Equal:
        return m_keyPath + " == " + literal(m_values[0]);
    case Kind::And: {
        std::string out;
        for (std::size_t i = 0; i < m_parts.size(); ++i) {
            if (i)
                out += " AND ";
            out += m_parts[i].format();
        }
        return out;
    }
    }
    return {};
}

int compareBySortDescriptors(const KeyValueCoding& a, const KeyValueCoding& b,
                             const std::vector<SortDescriptor>& descriptors) {
    for (const auto& d : descriptors) {
        int c = compareValues(a.valueForKeyPath(d.keyPath), b.valueForKeyPath(d.keyPath));
        if (c != 0)
            return d.ascending ? c : -c;
    }
    return 0;
}

} // namespace brivel::store
