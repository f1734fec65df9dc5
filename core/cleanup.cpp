// The list of what an interruption removes or puts back.
#include "cleanup.h"

#include <atomic>
#include <cstring>

#include "platform/platform.h"
#include "quillcore.h"

namespace quill::cleanup {

struct Item {
    Item *prev;
    Item *next;
    char *path;
    char *aside;  // null for a temporary file
};

namespace {

Item *head = nullptr;
std::atomic<uint32_t> numbered{0};

char *copy(const std::string &s) {
    char *c = new char[s.size() + 1];
    s.copy(c, s.size());
    c[s.size()] = '\0';
    return c;
}

Item *add(const std::string &path, const std::string *aside) {
    Item *item = new Item{nullptr, nullptr, copy(path), aside ? copy(*aside) : nullptr};
    plat::cleanup_hold();
    item->next = head;
    if (head) head->prev = item;
    head = item;
    plat::cleanup_release();
    return item;
}

}  // namespace

Item *add_temp(const std::string &path) {
    return add(path, nullptr);
}

Item *add_aside(const std::string &path, const std::string &aside) {
    return add(path, &aside);
}

void drop(Item *item) {
    if (!item) return;
    plat::cleanup_hold();
    if (item->prev)
        item->prev->next = item->next;
    else
        head = item->next;
    if (item->next) item->next->prev = item->prev;
    plat::cleanup_release();
    delete[] item->path;
    delete[] item->aside;
    delete item;
}

constexpr char kOwnPrefix[] = ".quillseal-";

std::string own_name(const std::string &folder, uint32_t process, const std::string &rest) {
    return folder + kOwnPrefix + std::to_string(process) + "-" + rest;
}

std::string own_name(const std::string &folder, const char *suffix) {
    return own_name(folder, plat::process_id(), std::to_string(numbered++) + suffix);
}

const char *own_rest(const char *name, uint32_t *process) {
    if (std::strncmp(name, kOwnPrefix, sizeof kOwnPrefix - 1) != 0) return nullptr;
    const char *p = name + sizeof kOwnPrefix - 1;
    uint64_t id = 0;
    const char *digits = p;
    while (*p >= '0' && *p <= '9' && id <= 0xFFFFFFFFu) id = id * 10 + uint64_t(*p++ - '0');
    if (p == digits || id > 0xFFFFFFFFu || *p != '-') return nullptr;
    *process = uint32_t(id);
    return p + 1;
}

}  // namespace quill::cleanup

void ichiji_sakujo(void) {
    using quill::cleanup::Item;
    // May run inside a signal handler: it only walks the list, unlinks and
    // renames. Newest first: a file placed in a folder that replaced one
    // kept aside has left the list before it, and the folder is then empty.
    quill::plat::cleanup_hold();
    for (Item *i = quill::cleanup::head; i; i = i->next) {
        if (!i->aside) {
            quill::plat::remove_file(i->path);
            continue;
        }
        quill::plat::remove_folder(i->path);
        quill::plat::put_back(i->aside, i->path);
    }
    quill::plat::cleanup_release();
}
