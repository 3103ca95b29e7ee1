#!/usr/bin/env bash
# The updater over HTTPS: nginx with TLS and a certificate authority made here. The machine's
# trust store is never changed and the shipped programs carry no trust override: Vendrel runs in
# a private mount namespace where the test's bundle is bound over the system's. There a signed
# release installs; outside it the same server is not trusted; and a redirect from https to
# plain http is refused.
# Usage: vendrel_https.sh <Vendrel> <DemoGame> <zemba-publish>
vendrel_built=$1 demogame=$2 publish=$3
. "$(dirname "$0")/lib/frame.sh"

system_bundle=/etc/ssl/certs/ca-certificates.crt
if [ ! -f "$system_bundle" ] || ! unshare -rm true 2>/dev/null; then
  echo "no private mount namespace or no system bundle to stand in for: skipped"
  exit 77
fi

# A certificate authority and a server certificate for 127.0.0.1, made for this run only.
ca=$work/ca
mkdir -p "$ca"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Zemba test CA" \
  -keyout "$ca/ca.key" -out "$ca/ca.pem" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj "/CN=127.0.0.1" -keyout "$ca/server.key" -out "$ca/server.csr" 2>/dev/null
printf 'subjectAltName=IP:127.0.0.1\n' > "$ca/ext"
openssl x509 -req -in "$ca/server.csr" -CA "$ca/ca.pem" -CAkey "$ca/ca.key" -CAcreateserial -days 2 \
  -extfile "$ca/ext" -out "$ca/server.pem" 2>/dev/null
check "the test's certificate authority signed the server's certificate" test -s "$ca/server.pem"

lobby=$work/lobby
mkdir -p "$lobby" "$work/keys" "$work/install"
cp "$vendrel_built" "$lobby/Vendrel"
"$publish" keygen --secret "$work/keys/secret.key" --public "$lobby/UpdateKeys.pub" >/dev/null
stage_demogame "$demogame" "$work/release/DemoGame"
"$publish" --name DemoGame --version 1.0.1 --program "$work/release/DemoGame" --root "$work/www" \
  --sign "$work/keys/secret.key" >/dev/null || { echo "FAIL - publishing"; exit 1; }

# Plain http serves the same tree (the target of the downgrading redirect); TLS serves it too,
# and redirects /down/ to the plain server.
start_nginx "$work/www" "$work/nginx" || exit 1
plain_url=$NGINX_URL
tls_port=$(free_port)
mkdir -p "$work/tls"
cat > "$work/tls/nginx.conf" <<CONF
daemon off;
master_process off;
worker_processes 1;
pid $work/tls/nginx.pid;
error_log $work/tls/error.log warn;
events { worker_connections 64; }
http {
  access_log $work/tls/access.log;
  client_body_temp_path $work/tls/body;
  proxy_temp_path $work/tls/proxy;
  fastcgi_temp_path $work/tls/fastcgi;
  uwsgi_temp_path $work/tls/uwsgi;
  scgi_temp_path $work/tls/scgi;
  default_type application/octet-stream;
  server {
    listen 127.0.0.1:$tls_port ssl;
    ssl_certificate $ca/server.pem;
    ssl_certificate_key $ca/server.key;
    root $work/www;
    location /down/ { rewrite ^/down/(.*)\$ $plain_url/\$1 redirect; }
  }
}
CONF
/usr/sbin/nginx -p "$work/tls/" -c "$work/tls/nginx.conf" -e "$work/tls/error.log" </dev/null >/dev/null 2>&1 &
pids+=("$!")
tls_url=https://127.0.0.1:$tls_port
for _ in $(seq 50); do curl -s --cacert "$ca/ca.pem" -o /dev/null "$tls_url/" && break; sleep 0.1; done

# run_vendrel <base url> <trust: test|system>: sets rc.
run_vendrel() {
  local bind=""
  [ "$2" = test ] && bind="mount --bind '$ca/ca.pem' '$system_bundle' &&"
  rc=0
  timeout 60 unshare -rm sh -c "$bind exec '$lobby/Vendrel' -name DemoGame -number 1.0.1 \
    -prog '$work/install/DemoGame' -down '$work/down' -http '$1'" 2>>"$work/vendrel.err" || rc=$?
}

run_vendrel "$tls_url/zemba/demogame" system
check "with the system's trust store the test's server is not trusted (code $rc)" test "$rc" = 1
check "and nothing is installed" test ! -e "$work/install/DemoGame/DemoGame"

run_vendrel "$tls_url/down/zemba/demogame" test
check "a redirect from https to plain http is refused (code $rc)" test "$rc" = 1
check "and nothing is installed from the plain server" test ! -e "$work/install/DemoGame/DemoGame"

run_vendrel "$tls_url/zemba/demogame" test
check "trusting the test's authority, a signed release installs over https (code $rc)" test "$rc" = 0
check "the installed tree equals the published one" diff -r -x Update.cfg "$work/release/DemoGame" "$work/install/DemoGame"
check "with the Update.cfg the release carries" cmp "$work/www/zemba/demogame/UpdateVersion.xml" "$work/install/DemoGame/Update.cfg"
check "the machine's trust store is unchanged" bash -c "! grep -q 'Zemba test CA' '$system_bundle' && ! cmp -s '$ca/ca.pem' '$system_bundle'"

if [ "$failures" -ne 0 ]; then
  echo "Vendrel's diagnostic output:"
  cat "$work/vendrel.err"
  tail -n 20 "$work/tls/access.log" "$work/tls/error.log" "$work/nginx/access.log" 2>/dev/null
fi
finish
