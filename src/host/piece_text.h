#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <memory>

// A text of 16-bit code units kept as pieces of immutable buffers in a balanced
// tree (a treap). An edit costs the size of the edit and O(log p) for p pieces,
// never the size of the text, and so does finding a position. Nodes are never
// changed once made, an edit makes new ones along one path: a copy of a
// PieceText is an O(1) version of its own that later edits of the original do
// not touch. Typed text goes to the end of an append-only buffer shared by all
// versions, so that typing in one place grows one piece.
class PieceText {
  public:
    PieceText() = default;
    // Shares `text`'s buffer: no copy.
    explicit PieceText(const QString& text);

    qsizetype size() const;
    bool isEmpty() const { return size() == 0; }
    QChar at(qsizetype i) const;
    // Units [position, position + length), cut at the end: O(log p + length).
    QString mid(qsizetype position, qsizetype length) const;
    // The whole text as one string: O(n), except for a text of one whole buffer,
    // which is shared.
    QString toString() const;
    bool equals(QStringView text) const;
    int pieceCount() const;

    // Replaces [position, position + length) by `text`.
    void replace(qsizetype position, qsizetype length, const QString& text);

  private:
    struct Node;
    using Ptr = std::shared_ptr<const Node>;

    static Ptr leaf(std::shared_ptr<const QString> buffer, qsizetype offset, qsizetype length);
    static Ptr make(const Node& piece, Ptr left, Ptr right);
    static Ptr merge(const Ptr& a, const Ptr& b);
    static std::pair<Ptr, Ptr> split(const Ptr& t, qsizetype k);
    static Ptr withLastGrown(const Ptr& t, qsizetype grown);
    static const Node* last(const Node* t);
    template <typename F> static void visit(const Node* t, qsizetype from, qsizetype to, F&& f);

    Ptr m_root;
    // The append-only buffer typed text goes to; versions share it and only
    // ever read what was in it when they were made.
    std::shared_ptr<QString> m_added;
};
