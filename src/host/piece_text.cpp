#include "host/piece_text.h"

#include <algorithm>
#include <cstring>

struct PieceText::Node {
    std::shared_ptr<const QString> buffer;
    qsizetype offset = 0;
    qsizetype length = 0;
    qsizetype total = 0; // units in this subtree
    std::uint32_t priority = 0;
    Ptr left, right;

    const QChar* data() const { return buffer->constData() + offset; }
};

namespace {

// Inserted text this long gets a buffer of its own, shared with the caller,
// rather than a copy at the end of the typed-text buffer.
constexpr qsizetype kOwnBuffer = 1024;

std::uint32_t nextPriority() {
    static std::uint32_t state = 0x9E3779B9u;
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

} // namespace

PieceText::Ptr PieceText::leaf(std::shared_ptr<const QString> buffer, qsizetype offset,
                               qsizetype length) {
    auto n = std::make_shared<Node>();
    n->buffer = std::move(buffer);
    n->offset = offset;
    n->length = length;
    n->total = length;
    n->priority = nextPriority();
    return n;
}

PieceText::PieceText(const QString& text) {
    if (!text.isEmpty())
        m_root = leaf(std::make_shared<const QString>(text), 0, text.size());
}

PieceText::Ptr PieceText::make(const Node& piece, Ptr left, Ptr right) {
    auto n = std::make_shared<Node>(piece);
    n->left = std::move(left);
    n->right = std::move(right);
    n->total = n->length + (n->left ? n->left->total : 0) + (n->right ? n->right->total : 0);
    return n;
}

PieceText::Ptr PieceText::merge(const Ptr& a, const Ptr& b) {
    if (!a)
        return b;
    if (!b)
        return a;
    if (a->priority > b->priority)
        return make(*a, a->left, merge(a->right, b));
    return make(*b, merge(a, b->left), b->right);
}

// The first k units and the rest. A piece cut in two becomes two leaves with
// priorities of their own: fragments of one piece sharing a priority would
// pile up into a list.
std::pair<PieceText::Ptr, PieceText::Ptr> PieceText::split(const Ptr& t, qsizetype k) {
    if (!t || k <= 0)
        return {nullptr, t};
    if (k >= t->total)
        return {t, nullptr};
    const qsizetype leftSize = t->left ? t->left->total : 0;
    if (k <= leftSize) {
        auto [a, b] = split(t->left, k);
        return {a, make(*t, b, t->right)};
    }
    const qsizetype afterPiece = leftSize + t->length;
    if (k >= afterPiece) {
        auto [a, b] = split(t->right, k - afterPiece);
        return {make(*t, t->left, a), b};
    }
    const qsizetype head = k - leftSize;
    return {merge(t->left, leaf(t->buffer, t->offset, head)),
            merge(leaf(t->buffer, t->offset + head, t->length - head), t->right)};
}

PieceText::Ptr PieceText::withLastGrown(const Ptr& t, qsizetype grown) {
    if (t->right)
        return make(*t, t->left, withLastGrown(t->right, grown));
    Node piece = *t;
    piece.length += grown;
    return make(piece, t->left, nullptr);
}

const PieceText::Node* PieceText::last(const Node* t) {
    while (t && t->right)
        t = t->right.get();
    return t;
}

template <typename F> void PieceText::visit(const Node* t, qsizetype from, qsizetype to, F&& f) {
    while (t && from < to) {
        const qsizetype leftSize = t->left ? t->left->total : 0;
        if (from < leftSize)
            visit(t->left.get(), from, std::min(to, leftSize), f);
        const qsizetype pieceFrom = std::max<qsizetype>(from - leftSize, 0);
        const qsizetype pieceTo = std::min(to - leftSize, t->length);
        if (pieceFrom < pieceTo)
            f(QStringView(t->data() + pieceFrom, pieceTo - pieceFrom));
        from = std::max<qsizetype>(from - leftSize - t->length, 0);
        to -= leftSize + t->length;
        t = t->right.get();
    }
}

qsizetype PieceText::size() const {
    return m_root ? m_root->total : 0;
}

QChar PieceText::at(qsizetype i) const {
    const Node* t = m_root.get();
    while (t) {
        const qsizetype leftSize = t->left ? t->left->total : 0;
        if (i < leftSize) {
            t = t->left.get();
        } else if (i < leftSize + t->length) {
            return t->data()[i - leftSize];
        } else {
            i -= leftSize + t->length;
            t = t->right.get();
        }
    }
    return QChar();
}

QString PieceText::mid(qsizetype position, qsizetype length) const {
    position = std::clamp<qsizetype>(position, 0, size());
    length = std::clamp<qsizetype>(length, 0, size() - position);
    QString out(length, Qt::Uninitialized);
    QChar* d = out.data();
    visit(m_root.get(), position, position + length, [&](QStringView chunk) {
        std::memcpy(d, chunk.data(), size_t(chunk.size()) * sizeof(QChar));
        d += chunk.size();
    });
    return out;
}

QString PieceText::toString() const {
    if (m_root && !m_root->left && !m_root->right && m_root->buffer.get() != m_added.get() &&
        m_root->offset == 0 && m_root->length == m_root->buffer->size())
        return *m_root->buffer;
    return mid(0, size());
}

bool PieceText::equals(QStringView text) const {
    if (text.size() != size())
        return false;
    bool same = true;
    qsizetype at = 0;
    visit(m_root.get(), 0, size(), [&](QStringView chunk) {
        same = same && chunk == text.mid(at, chunk.size());
        at += chunk.size();
    });
    return same;
}

int PieceText::pieceCount() const {
    int n = 0;
    auto count = [&n](auto&& self, const Node* t) -> void {
        if (t) {
            ++n;
            self(self, t->left.get());
            self(self, t->right.get());
        }
    };
    count(count, m_root.get());
    return n;
}

void PieceText::replace(qsizetype position, qsizetype length, const QString& text) {
    position = std::clamp<qsizetype>(position, 0, size());
    length = std::clamp<qsizetype>(length, 0, size() - position);
    auto [before, rest] = split(m_root, position);
    Ptr after = split(rest, length).second;
    if (text.size() >= kOwnBuffer) {
        before = merge(before, leaf(std::make_shared<const QString>(text), 0, text.size()));
    } else if (!text.isEmpty()) {
        if (!m_added)
            m_added = std::make_shared<QString>();
        const Node* end = last(before.get());
        const bool grows = end && end->buffer.get() == m_added.get() &&
                           end->offset + end->length == m_added->size();
        m_added->append(text);
        if (grows)
            before = withLastGrown(before, text.size());
        else
            before = merge(before, leaf(m_added, m_added->size() - text.size(), text.size()));
    }
    m_root = merge(before, after);
}
