# Python's e-mail package as an independent MIME reader. For each file given,
# its text/html body decoded by its transfer encoding and charset, or null when
# the file is not a single text/html part read without defects. With --parts
# first, for each file an object: the type of the whole, its boundary, the
# HTML of its root text/html part, and its other parts (content id, file name,
# type, the bytes decoded, in base64). JSON on stdout.
import base64
import email
import json
import sys


def text_of(part):
    return part.get_payload(decode=True).decode(part.get_content_charset() or 'us-ascii')


def single(message, path):
    if message.defects or message.is_multipart() or message.get_content_type() != 'text/html':
        raise ValueError(path)
    return text_of(message)


def parts(message):
    leaves = [p for p in message.walk() if not p.is_multipart()]
    start = message.get_param('start')
    root = None
    if start:
        root = next((p for p in leaves if p.get('Content-Id', '').strip() == start.strip()), None)
    if root is None:
        htmls = [p for p in leaves if p.get_content_type() == 'text/html']
        # Within alternatives the richest comes last; a related part's HTML comes first.
        root = htmls[-1] if message.get_content_type() == 'multipart/alternative' else (htmls or [None])[0]
    return {
        'type': message.get_content_type(),
        'boundary': message.get_boundary(),
        'defects': len(message.defects) + sum(len(p.defects) for p in leaves),
        'html': text_of(root) if root is not None else None,
        'parts': [{'contentId': (p.get('Content-Id') or '').strip().strip('<>'),
                   'filename': p.get_filename() or '',
                   'type': p.get_content_type(),
                   'data': base64.b64encode(p.get_payload(decode=True) or b'').decode()}
                  for p in leaves if p is not root],
    }


want_parts = sys.argv[1:2] == ['--parts']
out = []
for path in sys.argv[2 if want_parts else 1:]:
    with open(path, 'rb') as f:
        message = email.message_from_bytes(f.read())
    try:
        out.append(parts(message) if want_parts else single(message, path))
    except Exception:
        out.append(None)
print(json.dumps(out))
