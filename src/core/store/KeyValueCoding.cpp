#include "core/store/KeyValueCoding.h"

namespace brivel::store {

Value KeyValueCoding::valueForKeyPath(std::string_view path) const {
    const KeyValueCoding* object = this;
    while (true) {
        auto dot = path.find('.');
        if (dot == std::string_view::npos)
            return object->valueForKey(path);
        object = object->objectForKey(path.substr(0, dot));
        if (!object)
            return Value();
        path.remove_prefix(dot + 1);
    }
}

} // namespace brivel::store
