#include "gui/views/trade/ImgPathTransformer.h"

#include "core/model/ChartImageFiles.h"
#include "core/platform/SystemLog.h"

namespace brivel::gui {

ImgPathTransformer::ImgPathTransformer(std::filesystem::path databasePath)
    : m_databasePath(std::move(databasePath)) {}

std::optional<QString> ImgPathTransformer::transformedValue(const store::Value& value) const {
    if (value.isNull())
        return std::nullopt;
    if (value.type() != store::Value::Type::String) {
        systemLog().log("Type mismatch in ImgPathTransformer. Expecting NSString");
        return std::nullopt;
    }
    auto file = model::chartImageFile(m_databasePath, value.stringView());
    if (!file)
        return std::nullopt;
    return QString::fromStdString(file->string());
}

} // namespace brivel::gui
