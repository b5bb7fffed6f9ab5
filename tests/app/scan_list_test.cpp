#include "app/scan_list.h"
#include "tests/app/scan_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace qm;
using qm::test::makeScan;

namespace {

// The exchange sort as a literal doubly linked list of nodes: passes from
// the head exchange a node with its successor by relinking until a pass
// makes no exchange; then the prev links are rebuilt from the head. The
// order: ascending frequency, the latest observation first within one.
struct Node {
    const ScanRecord* rec;
    Node* next = nullptr;
    Node* prev = nullptr;
};

Node* linkedExchangeSort(Node* head)
{
    bool exchanged = true;
    while (exchanged) {
        exchanged = false;
        Node** link = &head;
        while (*link && (*link)->next) {
            Node* a = *link;
            Node* b = a->next;
            const bool swap = a->rec->frequency > b->rec->frequency ||
                              (a->rec->frequency == b->rec->frequency &&
                               (std::strcmp(a->rec->dateObs, b->rec->dateObs) < 0 ||
                                (std::strcmp(a->rec->dateObs, b->rec->dateObs) == 0 &&
                                 std::strcmp(a->rec->timeObs, b->rec->timeObs) < 0)));
            if (swap) {
                a->next = b->next;
                b->next = a;
                *link = b;
                exchanged = true;
            }
            link = &(*link)->next;
        }
    }
    head->prev = nullptr;
    for (Node* n = head; n->next; n = n->next)
        n->next->prev = n;
    return head;
}

} // namespace

TEST(ScanListSort, MatchesLinkedExchangeSortOnRandomSetsWithTies)
{
    std::mt19937 rng(20040501);
    const float freqs[] = {2.8f, 3.0f, 3.0f, 5.7f, 11.2f};
    const char* dates[] = {"2004/05/01", "2004/05/02", "2003/12/31"};
    const char* times[] = {"05:00:00", "05:00:00.5", "23:59:59"};
    for (int round = 0; round < 200; ++round) {
        const int n = 1 + static_cast<int>(rng() % 14);
        ScanList list;
        std::vector<std::unique_ptr<ScanRecord>> chain;
        for (int i = 0; i < n; ++i) {
            auto r = makeScan(freqs[rng() % 5], dates[rng() % 3], times[rng() % 3], 4);
            r->azimuth = static_cast<float>(i); // identity of records with equal keys
            chain.push_back(std::move(r));
        }
        list.appendTail(std::move(chain));

        std::vector<Node> nodes;
        nodes.reserve(static_cast<std::size_t>(n));
        for (const auto& r : list)
            nodes.push_back({r.get()});
        for (int i = 0; i + 1 < n; ++i)
            nodes[static_cast<std::size_t>(i)].next = &nodes[static_cast<std::size_t>(i) + 1];
        Node* head = linkedExchangeSort(&nodes[0]);

        list.sort();
        int i = 0;
        for (const Node* p = head; p; p = p->next, ++i) {
            ASSERT_LT(i, n);
            EXPECT_EQ(list.at(i), p->rec) << "round " << round << " position " << i;
            EXPECT_EQ(list.prev(list.at(i)), p->prev ? p->prev->rec : nullptr);
        }
        EXPECT_EQ(i, n);
        EXPECT_EQ(list.next(list.tail()), nullptr);
    }
}
