#include "module_input.h"

#include "model/numeric.h"
#include "model/tree_ops.h"
#include "protocol/record_layout.h"

namespace vemra {

namespace {

void visit(TreeItem* item, int32_t& counter, std::string& file)
{
    TNLMember* node = item->Node();
    if (dynamic_cast<TProject*>(node) || dynamic_cast<TRXHeader*>(node)) {
        node->Ident() = ++counter;
        WriteModuleRecord(*node, file);
        for (int i = 0; i < item->ChildCount(); ++i)
            visit(item->Child(i), counter, file);
    } else if (dynamic_cast<TRelHeader*>(node)) {
        for (int i = 0; i < item->ChildCount(); ++i)
            visit(item->Child(i), counter, file);
    } else if (auto* restriction = dynamic_cast<TRestr*>(node)) {
        restriction->Ident() = ++counter;
        WriteModuleRecord(*restriction, file);
        restriction->EffPar = restriction->RealPar;
    }
}

} // namespace

std::string alignModuleField(const std::string& text, std::size_t width)
{
    if (text.size() < width)
        return std::string(width - text.size(), ' ') + text;
    if (!text.empty() && text.front() != ' ')
        return ' ' + text;
    return text;
}

std::string moduleIntField(int32_t value)
{
    return alignModuleField(std::to_string(value), protocol::ModuleIntWidth);
}

std::string moduleRealField(double value)
{
    return alignModuleField(FormatSig(10, value), protocol::ModuleRealWidth);
}

void WriteModuleRecord(TNLMember& node, std::string& file)
{
    for (int i = 1; i <= protocol::IntFieldCount; ++i)
        file += moduleIntField(node.IntPar[i]);
    file += "\r\n";
    for (int i = 1; i <= protocol::RealFieldCount; ++i)
        file += moduleRealField(node.RealPar[i]);
    file += "\r\n";
    node.Modified = false;
}

void WriteModuleInput(TreeItem* item, std::string& file)
{
    TreeItem* project = ProjectOf(item);
    if (!project)
        return;
    int32_t counter = 0;
    visit(project, counter, file);
}

} // namespace vemra
