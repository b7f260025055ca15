#include "doubles/scripted_outlook.h"

#include "common/text.h"

namespace tessel::testing {
namespace {

ScriptedMember Object(int id) {
    ScriptedMember m;
    m.kind = OutlookValueKind::Object;
    m.object = id;
    return m;
}

}  // namespace

void ScriptedOutlook::OpenInspector(std::u16string caption, std::int32_t itemClass, bool sent) {
    objects[kApplication][u"ActiveInspector"] = Object(2);
    objects[2][u"Caption"] = ScriptedMember{OutlookValueKind::String, 0, std::move(caption)};
    objects[2][u"CurrentItem"] = Object(3);
    objects[3][u"Class"] = ScriptedMember{OutlookValueKind::I32, 0, {}, itemClass};
    objects[3][u"Sent"] = ScriptedMember{OutlookValueKind::Bool, 0, {}, 0, sent};
}

void ScriptedOutlook::OpenExplorer(std::u16string caption, bool inlineResponse) {
    objects[kApplication][u"ActiveExplorer"] = Object(4);
    objects[4][u"Caption"] = ScriptedMember{OutlookValueKind::String, 0, std::move(caption)};
    objects[4][u"ActiveInlineResponse"] = inlineResponse ? Object(5) : ScriptedMember{OutlookValueKind::Other, 0, {}};
}

int ScriptedOutlook::Reads() const {
    int n = 0;
    for (const std::string& entry : log) n += entry.rfind("Read(", 0) == 0;
    return n;
}

std::u16string ScriptedOutlook::WindowTitle(WindowId window) noexcept {
    log.push_back("Title");
    auto it = titles.find(window);
    return it == titles.end() ? std::u16string() : it->second;
}

OutlookRef ScriptedOutlook::Connect() noexcept {
    log.push_back("Connect");
    callsOutsideQuestions += !inQuestion;
    if (hung) {
        late = true;
        return {};
    }
    if (!running) return {};
    ++liveReferences;
    return OutlookRef(this, kApplication);
}

OutlookValue ScriptedOutlook::Read(const OutlookRef& object, std::u16string_view member,
                                   std::uint16_t flags) noexcept {
    const int id = static_cast<int>(object.Handle());
    log.push_back("Read(" + std::to_string(id) + "," + Utf16ToUtf8(member) + "," + std::to_string(flags) + ")");
    callsOutsideQuestions += !inQuestion;
    OutlookValue value;
    if (!object) return value;
    if (hung) {
        late = true;
        return value;
    }
    auto o = objects.find(id);
    if (o == objects.end()) return value;
    auto m = o->second.find(std::u16string(member));
    if (m == o->second.end()) return value;
    const ScriptedMember& s = m->second;
    value.kind = s.kind;
    value.text = s.text;
    value.i32 = s.i32;
    value.boolean = s.boolean;
    if (s.kind == OutlookValueKind::Object && s.object != 0) {
        ++liveReferences;
        value.object = OutlookRef(this, static_cast<std::uintptr_t>(s.object));
    }
    return value;
}

void ScriptedOutlook::Release(std::uintptr_t) noexcept {
    --liveReferences;
    callsOutsideQuestions += !inQuestion;
}

}  // namespace tessel::testing
