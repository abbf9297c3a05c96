"""The companion server as a client sees it, over its socket, with the echo
back end: answers, display tables, the log and the end of links."""
import socket

import pytest

from quillora import Server, encode, log_texts, wait_until

LIMIT_REQUEST = "Get Translate Limit1 Length From Server"
LIMIT = "Get Translate Limit Length From Server="
TABLE = "This is display language config file!="
ANNOUNCE = "Display language has been changed!="
UNKNOWN = "The server did not understand this request."
TOO_LONG = "The text is longer than the 1234 characters this server translates at once."


@pytest.fixture(scope="module")
def server(tmp_path_factory):
    log = tmp_path_factory.mktemp("server") / "messages.log"
    with Server("--backend", "echo", "--limit", "1234", "--log", str(log)) as running:
        running.log = log
        yield running


@pytest.mark.parametrize("message, answer", [
    (LIMIT_REQUEST, LIMIT + "1234"),
    ("en~de~Hallo Welt", "[de] Hallo Welt"),
    ("haw~zh-CN~a~b\nc", "[zh-CN] a~b\nc"),
    ("auto~de~" + LIMIT + "5" + TABLE, ["Detected language=en", "[de] 5"]),
    ("auto~de~Bonjour tout le monde, comment allez-vous ?",
     ["Detected language=fr", "[de] Bonjour tout le monde, comment allez-vous ?"]),
    ("Prepare translation=en~de", "[de] next"),
    ("en~de~" + "x" * 1234, "[de] " + "x" * 1234),
    ("en~de~" + "x" * 1235, TOO_LONG),
    ("no request at all", UNKNOWN),
    ("e1~de~digits are no code", UNKNOWN),
    ("~de~empty code", UNKNOWN),
    ("../../etc~de~path", UNKNOWN),
    ("e" * 10000 + "~de~long code", UNKNOWN),
])
def test_answers(server, message, answer):
    """Each message is followed by a request: a message that gets no answer
    shows as the answer to that request coming first; every other answer
    comes in the order of the requests. The language found for "auto" comes
    just before the translation."""
    answers = answer if isinstance(answer, list) else [answer]
    link = server.link()
    link.send(message)
    link.send("en~de~next")
    assert [link.receive() for _ in answers] == answers
    assert message in log_texts(server.log)


def test_notices_keep_the_order_of_requests(server):
    link = server.link()
    link.sock.sendall(encode("en~de~first") + encode("no request"))
    assert [link.receive(), link.receive()] == ["[de] first", UNKNOWN]


@pytest.mark.parametrize("language, german", [
    ("English", "German"), ("Chinese", "德语"), ("Czech", "němčina"), ("German", "Deutsch"),
    ("Japanese", "ドイツ語"), ("Spanish", "alemán"), ("Klingon", "German"),
])
def test_display_tables(server, language, german):
    table = server.link().ask(ANNOUNCE + language)
    assert table.startswith(TABLE)
    lines = table[len(TABLE):].split("\n")
    keys = [line.split("=", 1)[0] for line in lines]
    assert keys[:21] == ["app_name1", "clear", "translate", "Help", "welcome1", "welcome2",
                         "welcome3", "welcome4", "restore", "quit", "previous", "next",
                         "source_text", "result_text", "source_language", "target_language",
                         "cut_notice", "translated_web", "translated_offline", "offline_mark",
                         "foreign_server"]
    assert keys[21:] == catalogue() + [""]
    assert "German=" + german in lines
    if language == "Klingon":
        assert table == server.link().ask(ANNOUNCE + "English")


def catalogue():
    """The names of the client's boxes, from the language list both programs compile in."""
    with open("../../protocol/languages.tsv", encoding="utf-8") as rows:
        return [row.split("\t")[1] for row in rows if row.startswith(("detect", "language"))]


@pytest.mark.parametrize("frame, outcome", [
    ("00000003 000000", "closed"),
    ("00000007 00000003 004100", "closed"),
    ("00000008 00000002 00410042", "closed"),
    ("00000006 FFFFFFFF 0041", "closed"),
    ("01000001 01000000", "closed"),
    ("01000000 00FFFFFC", TOO_LONG),
    ("00000004 FFFFFFFF", UNKNOWN),
    ("00000004 00000000", UNKNOWN),
])
def test_frames(server, frame, outcome):
    """Bytes that are no frame end their own link and no other; a frame past
    the limit is answered at its length field, and its bytes let go."""
    link, other = server.link(), server.link()
    link.sock.sendall(bytes.fromhex(frame))
    if outcome != "closed":
        assert link.receive() == outcome
        link.sock.sendall(bytes(0x1000000 - 4) if outcome == TOO_LONG else b"")
        assert link.ask("en~de~after") == "[de] after"
    else:
        assert link.closed_by_server(timeout=0.5)
    assert other.ask(LIMIT_REQUEST) == LIMIT + "1234"


def test_last_words_and_clean_end(server):
    """Runs last: a client that closes at once still has its last message
    read, and SIGTERM ends the server cleanly."""
    last = server.link()
    last.send("en~de~last words")
    last.sock.shutdown(socket.SHUT_WR)
    assert wait_until(lambda: "en~de~last words" in log_texts(server.log))
    assert server.stop() == 0
