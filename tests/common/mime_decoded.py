# Python's e-mail package as an independent MIME reader: for each file given,
# its text/html body decoded by its transfer encoding and charset, or null when
# the file is not a single text/html part read without defects. JSON on stdout.
import email
import json
import sys

out = []
for path in sys.argv[1:]:
    with open(path, 'rb') as f:
        message = email.message_from_bytes(f.read())
    try:
        if message.defects or message.is_multipart() or message.get_content_type() != 'text/html':
            raise ValueError(path)
        out.append(message.get_payload(decode=True).decode(message.get_content_charset() or 'us-ascii'))
    except Exception:
        out.append(None)
print(json.dumps(out))
