// The object table under random registering and freeing of every kind of
// object: a live handle names its own object only, a handle is never given
// twice, and freed or unknown handles name nothing.
#include "document/DocumentFixtures.h"

#include "document/model/DocObject.h"
#include "document/fields/Field.h"
#include "document/model/ObjectManager.h"
#include "document/model/ObjectTable.h"
#include "document/model/Section.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <set>

namespace {

struct TLive {
    TObjectKind Kind;
    void* Object;
};

void ExpectResolves(const TObjectTable& table, TObjectHandle handle, const TLive* live)
{
    const TObjectKind kind = live ? live->Kind : TObjectKind::None;
    ASSERT_EQ(table.KindOf(handle), kind) << handle;
    EXPECT_EQ(static_cast<void*>(table.GetSection(handle)), kind == TObjectKind::Section ? live->Object : nullptr);
    EXPECT_EQ(static_cast<void*>(table.GetField(handle)), kind == TObjectKind::RangeObject ? live->Object : nullptr);
    const bool docObject = kind == TObjectKind::Picture || kind == TObjectKind::OleObject;
    EXPECT_EQ(static_cast<void*>(table.GetDocObject(handle)), docObject ? live->Object : nullptr);
}

}  // namespace

TEST(ObjectTableRandom, HandlesAreNeverReusedAndFreedOnesNameNothing)
{
    TTestHost host;
    TDocument doc(true);
    TDocument other(true);
    std::mt19937 random(5150u);
    auto below = [&random](int32_t n) { return std::uniform_int_distribution<int32_t>(0, n - 1)(random); };

    // What the document registered itself stays as it is.
    const int32_t own = doc.Objects().Count();
    std::vector<std::unique_ptr<TSection>> sections;
    std::vector<std::unique_ptr<TField>> fields;
    std::vector<TDocObject*> objects;  // owned by the document's object manager
    std::map<TObjectHandle, TLive> live;
    std::set<TObjectHandle> given;
    TObjectHandle highest = 0;
    auto registered = [&](TObjectHandle handle, TObjectKind kind, void* object) {
        ASSERT_GT(handle, 0);
        ASSERT_TRUE(given.insert(handle).second) << "handle " << handle << " given twice";
        live[handle] = {kind, object};
        highest = std::max(highest, handle);
    };
    auto freed = [&](TObjectHandle handle) { live.erase(handle); };

    for (int step = 0; step < 3000; ++step) {
        SCOPED_TRACE(step);
        switch (below(8)) {
        case 0:
            sections.push_back(std::make_unique<TSection>(&doc));
            registered(sections.back()->Handle(), TObjectKind::Section, sections.back().get());
            break;
        case 1:
            fields.push_back(std::make_unique<TField>(&doc, static_cast<uint8_t>(below(2) ? rkField : rkBookmark)));
            registered(fields.back()->Handle(), TObjectKind::RangeObject, fields.back().get());
            break;
        case 2: {
            std::unique_ptr<TDocObject> object;
            if (below(2))
                object = std::make_unique<TDocPicture>(below(2) ? &other : nullptr);
            else
                object = std::make_unique<TDocOLEObject>(below(2) ? &other : nullptr);
            TDocObject& added = doc.ObjectManager().AddObject(std::move(object));
            objects.push_back(&added);
            registered(added.Handle(), added.Kind(), &added);
            break;
        }
        case 3:
            if (!sections.empty()) {
                const size_t i = static_cast<size_t>(below(static_cast<int32_t>(sections.size())));
                freed(sections[i]->Handle());
                sections.erase(sections.begin() + static_cast<ptrdiff_t>(i));
            }
            break;
        case 4:
            if (!fields.empty()) {
                const size_t i = static_cast<size_t>(below(static_cast<int32_t>(fields.size())));
                freed(fields[i]->Handle());
                fields.erase(fields.begin() + static_cast<ptrdiff_t>(i));
            }
            break;
        case 5:
            if (!objects.empty()) {
                const size_t i = static_cast<size_t>(below(static_cast<int32_t>(objects.size())));
                freed(objects[i]->Handle());
                doc.ObjectManager().RemoveObject(objects[i]);
                objects.erase(objects.begin() + static_cast<ptrdiff_t>(i));
            }
            break;
        case 6:
            // An object that leaves for another document and comes back takes
            // a new handle; the old one names nothing any more.
            if (!objects.empty()) {
                TDocObject* object = objects[static_cast<size_t>(below(static_cast<int32_t>(objects.size())))];
                const TObjectHandle old = object->Handle();
                object->SetDocument(&other);
                freed(old);
                ASSERT_EQ(other.Objects().GetDocObject(object->Handle()), object);
                object->SetDocument(&doc);
                registered(object->Handle(), object->Kind(), object);
            }
            break;
        default: {
            // Lookups: every handle ever given, and some never given.
            for (TObjectHandle h : given) {
                const auto it = live.find(h);
                ExpectResolves(doc.Objects(), h, it == live.end() ? nullptr : &it->second);
            }
            for (TObjectHandle h : {NoObjectHandle, -1, NotSet, highest + 1, highest + 1000})
                ExpectResolves(doc.Objects(), h, nullptr);
            break;
        }
        }
        ASSERT_EQ(doc.Objects().Count(), own + static_cast<int32_t>(live.size()));
        if (HasFatalFailure())
            return;
    }
    // Freed in any order, everything leaves the table.
    std::shuffle(sections.begin(), sections.end(), random);
    sections.clear();
    fields.clear();
    for (TDocObject* object : objects)
        doc.ObjectManager().RemoveObject(object);
    EXPECT_EQ(doc.Objects().Count(), own);
}
